#include "transfer/transfer_pace.h"

#include <algorithm>

namespace hv {
namespace {

constexpr std::size_t kLowestBytesPerSecond = 10;

}  // namespace

void PaceMeter::restart(Clock::time_point now) {
  start_ = now;
  bytes_ = 0;
}

PaceMeter::Verdict PaceMeter::judge(Clock::time_point now) {
  if (seconds_ <= 0 || now - start_ < period())
    return Verdict::kPeriodRunning;
  if (bytes_ < kLowestBytesPerSecond * static_cast<std::size_t>(seconds_))
    return Verdict::kTooSlow;
  restart(now);
  return Verdict::kNextPeriod;
}

PaceMeter::Clock::duration PaceMeter::remaining(Clock::time_point now) const {
  return std::max(period() - (now - start_), Clock::duration::zero());
}

TransferFailure headTimedOut(const PolicyFailureCodes& codes, std::int32_t seconds) {
  return {codes.timedOut,
          "Timed out: no response from the server within " + std::to_string(seconds) + " seconds"};
}

TransferFailure bodyTooSlow(const PolicyFailureCodes& codes, std::int32_t seconds) {
  return {codes.timedOut, "Timed out: fewer than " + std::to_string(kLowestBytesPerSecond) +
                              " bytes a second from the server over " + std::to_string(seconds) +
                              " seconds"};
}

}  // namespace hv
