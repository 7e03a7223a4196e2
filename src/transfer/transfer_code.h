#pragma once

#include <cstdint>
#include <string>

namespace hv {

// A transfer's result number together with the numbering it belongs to: the server's own status
// (HTTP's, or an FTP reply code), or an error of the library that carries the transfer. The
// control reports only the number; which numbering it is in is known wherever it is made.
class TransferCode {
 public:
  enum class Numbering { kServerStatus, kCurl, kWinInet };

  constexpr TransferCode() = default;
  static constexpr TransferCode serverStatus(long status) {
    return {Numbering::kServerStatus, static_cast<std::int32_t>(status)};
  }
  static constexpr TransferCode curl(long code) {
    return {Numbering::kCurl, static_cast<std::int32_t>(code)};
  }
  static constexpr TransferCode winInet(unsigned long error) {
    return {Numbering::kWinInet, static_cast<std::int32_t>(error)};
  }

  constexpr Numbering numbering() const { return numbering_; }
  constexpr std::int32_t value() const { return value_; }
  friend constexpr bool operator==(const TransferCode&, const TransferCode&) = default;

 private:
  constexpr TransferCode(Numbering numbering, std::int32_t value)
      : numbering_(numbering), value_(value) {}

  Numbering numbering_ = Numbering::kServerStatus;
  std::int32_t value_ = 0;
};

// Why a request or its body failed: the code and the text ResponseInfo gives (ANSI).
struct TransferFailure {
  TransferCode code;
  std::string info;
};

// The codes a transfer library gives the failures the policy itself finds, rather than the
// library or the server.
struct PolicyFailureCodes {
  TransferCode timedOut;
  TransferCode badLength;  // a Content-Length that cannot frame the body
  TransferCode badCoding;  // a transfer coding the body cannot be read through
};

}  // namespace hv
