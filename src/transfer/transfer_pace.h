#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "transfer/transfer_code.h"

namespace hv {

// A server may pace its answer to hold a request open for ever. The whole head must arrive
// within the time-out, and the body must then average 10 bytes a second over every period of
// the time-out; each period is judged on its own, so a slow body that keeps coming may take many.
// Time spent waiting for the reader counts against nobody: the owner restarts the period then.
class PaceMeter {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Verdict { kPeriodRunning, kTooSlow, kNextPeriod };

  // No time-out (0 or less): never too slow.
  explicit PaceMeter(std::int32_t seconds = 0) : seconds_(seconds) {}

  void restart(Clock::time_point now);
  void count(std::size_t bytes) { bytes_ += bytes; }

  // Whether the period has run its course, and if so whether it was too slow; kNextPeriod has
  // started the next one.
  Verdict judge(Clock::time_point now);
  // How long the current period still runs.
  Clock::duration remaining(Clock::time_point now) const;
  Clock::duration period() const { return std::chrono::seconds(seconds_); }

 private:
  std::int32_t seconds_;
  Clock::time_point start_{};
  std::size_t bytes_ = 0;
};

// The failures of a time-out of `seconds`: the head did not arrive within it, the body was too
// slow over it.
TransferFailure headTimedOut(const PolicyFailureCodes& codes, std::int32_t seconds);
TransferFailure bodyTooSlow(const PolicyFailureCodes& codes, std::int32_t seconds);

}  // namespace hv
