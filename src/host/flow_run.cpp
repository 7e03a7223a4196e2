#include "host/flow_run.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "host/exit_status.h"
#include "posix/exit_cleanup.h"

namespace hv {

std::chrono::milliseconds parseTimeout(const std::string& value) {
  constexpr double kLongest = 1e9;  // far beyond any run, and safely inside the clock's range
  double seconds = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, seconds);
  if (value.empty() || error != std::errc() || stop != end || !std::isfinite(seconds) ||
      seconds <= 0 || seconds > kLongest) {
    throw std::invalid_argument("needs a number of seconds greater than 0, got \"" + value + "\"");
  }
  // A limit under a millisecond is still a limit, not none.
  return std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000)));
}

FlowRun::FlowRun(CommandContext& context, std::string who)
    : context_(context), who_(std::move(who)), limit_(context.options.timeout) {
  if (!limit_)
    return;
  deadline_ = EventLoop::Clock::now() + *limit_;
  watchdog_ = std::thread([this] { watch(); });
}

FlowRun::~FlowRun() {
  if (!watchdog_.joinable())
    return;
  {
    const std::lock_guard lock(mutex_);
    done_ = true;
  }
  finished_.notify_one();
  watchdog_.join();
}

bool FlowRun::awaitOutcome(EventLoop& loop, const std::function<bool()>& outcome,
                           const std::function<void()>& settle) {
  const bool reached = loop.runUntil(outcome, limit_ ? std::optional(deadline_) : std::nullopt);
  if (!reached && claimReport()) {
    settle();
    context_.err << who_ << ": no outcome within " << limitText() << ", giving up (--timeout)\n";
  }
  return reached;
}

bool FlowRun::claimReport() {
  const std::lock_guard lock(mutex_);
  return !std::exchange(reported_, true);
}

std::string FlowRun::limitText() const {
  std::ostringstream text;
  text << static_cast<double>(limit_->count()) / 1000
       << (*limit_ == std::chrono::seconds(1) ? " second" : " seconds");
  return text.str();
}

// The main thread may be blocked where it cannot look at the clock, so this thread ends the
// whole process: nothing the run still holds would be safe to hand back.
void FlowRun::watch() {
  std::unique_lock lock(mutex_);
  if (finished_.wait_until(lock, deadline_ + kWatchdogGrace, [this] { return done_ || reported_; }))
    return;
  reported_ = true;
  const std::string message =
      who_ + ": no outcome within " + limitText() + ", giving up (--timeout)\n";
  [[maybe_unused]] const auto written = ::write(STDERR_FILENO, message.data(), message.size());
  exit_cleanup::finishBeforeExit(who_.c_str());
  std::_Exit(kExitFlowFailure);
}

}  // namespace hv
