#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "host/command.h"
#include "posix/event_loop.h"

namespace hv {

// The longest --timeout: far beyond any run, and safely inside the clock's range.
inline constexpr double kLongestTimeoutSeconds = 1e9;

// Reads the value of --timeout: any number of seconds greater than 0 and at most the longest,
// fractions and exponents allowed. Throws std::invalid_argument saying which rule the value
// breaks, with the value.
std::chrono::duration<double> parseTimeout(const std::string& value);

// One command's run until its flow's outcome, under the time limit of --timeout, which counts
// from the start of the command. The loop stops at the limit; a run held up outside the loop
// (an installer the flow waits for without pumping) is ended by a watchdog shortly after it, so
// that no run outlives its limit by more than a moment.
class FlowRun {
 public:
  FlowRun(CommandContext& context, std::string who);
  ~FlowRun();
  FlowRun(const FlowRun&) = delete;
  FlowRun& operator=(const FlowRun&) = delete;

  // Pumps `loop` until `outcome` holds. False, with the reason on the command's error stream,
  // when the time limit passed first; `settle` runs first then, so that a line or panel drawn in
  // place is finished above it.
  bool awaitOutcome(EventLoop& loop, const std::function<bool()>& outcome,
                    const std::function<void()>& settle);

  // How long past the limit the watchdog lets a run that is stuck outside the loop go on, so that
  // a run the loop can end ends in order (its panel drawn to the end).
  static constexpr auto kWatchdogGrace = std::chrono::milliseconds(500);

 private:
  std::string limitText() const;
  // True for the one caller that reports the limit; whoever comes second stays silent.
  bool claimReport();
  void watch();

  CommandContext& context_;
  std::string who_;
  std::optional<std::chrono::duration<double>> limit_;
  EventLoop::Clock::time_point deadline_{};
  std::mutex mutex_;
  std::condition_variable finished_;
  bool done_ = false;
  bool reported_ = false;
  std::thread watchdog_;
};

}  // namespace hv
