#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "runtime/text.h"

namespace hv {

// A failure raised to script: the number, source and description that the page reads from the
// runtime's error object. Core code throws it; the dispatch boundary hands it to the host.
class ScriptError : public std::exception {
 public:
  ScriptError(std::int32_t number, Text source, Text description);

  std::int32_t number() const { return number_; }
  const Text& source() const { return source_; }
  const Text& description() const { return description_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::int32_t number_;
  Text source_;
  Text description_;
  std::string what_;
};

// The runtime's standard errors, under the numbers and texts scripts already know.
namespace runtime_error {
inline constexpr std::int32_t kInvalidProcedureCall = 5;
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kSubscriptOutOfRange = 9;
inline constexpr std::int32_t kDivisionByZero = 11;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kBadFileNameOrNumber = 52;
inline constexpr std::int32_t kFileNotFound = 53;
inline constexpr std::int32_t kBadFileMode = 54;
inline constexpr std::int32_t kFileAlreadyOpen = 55;
inline constexpr std::int32_t kDeviceIoError = 57;
inline constexpr std::int32_t kFileAlreadyExists = 58;
inline constexpr std::int32_t kDiskFull = 61;
inline constexpr std::int32_t kTooManyFiles = 67;
inline constexpr std::int32_t kPermissionDenied = 70;
inline constexpr std::int32_t kPathFileAccessError = 75;
inline constexpr std::int32_t kPathNotFound = 76;
inline constexpr std::int32_t kMemberNotSupported = 438;
inline constexpr std::int32_t kWrongArgumentCount = 450;
}  // namespace runtime_error

// The standard text of a runtime error number; "Application-defined or object-defined error"
// for numbers the runtime does not name.
Text standardErrorText(std::int32_t number);

// A runtime error with its standard text and no source.
ScriptError runtimeError(std::int32_t number);

}  // namespace hv
