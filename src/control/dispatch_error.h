#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace hv {

// Result codes of the dispatch layer and the object model, with their COM numbers.
enum HResult : std::uint32_t {
  kSOk = 0,
  kENotImpl = 0x80004001,
  kENoInterface = 0x80004002,
  kEPointer = 0x80004003,
  kEFail = 0x80004005,
  kDispEUnknownName = 0x80020006,
  kDispEMemberNotFound = 0x80020003,
  kDispEBadParamCount = 0x8002000E,
  kDispETypeMismatch = 0x80020005,
  kDispEOverflow = 0x8002000A,
  kClassENoAggregation = 0x80040110,
  kRegDbEClassNotReg = 0x80040154,
  kConnectENoConnection = 0x80040200,
  kConnectECannotConnect = 0x80040202,
};

// A call the dispatch layer or the object model refuses before any code of the library runs.
class DispatchError : public std::runtime_error {
 public:
  DispatchError(HResult code, const std::string& message,
                std::optional<unsigned> argument = std::nullopt)
      : std::runtime_error(message), code_(code), argument_(argument) {}

  HResult code() const { return code_; }
  // The 0-based position of the argument that could not be coerced, when that is the failure.
  std::optional<unsigned> argument() const { return argument_; }

 private:
  HResult code_;
  std::optional<unsigned> argument_;
};

}  // namespace hv
