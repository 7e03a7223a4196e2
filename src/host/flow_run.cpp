#include "host/flow_run.h"

#include <unistd.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "host/exit_status.h"
#include "posix/exit_cleanup.h"

namespace hv {
namespace {

// As short as the value reads back exactly, in plain digits where they stay short: 0.0001, 0.5,
// 1000000000, 1e-300.
std::string secondsText(double seconds) {
  std::array<char, 64> text;
  const auto format = seconds >= 1e-6 ? std::chars_format::fixed : std::chars_format::general;
  const auto end = std::to_chars(text.data(), text.data() + text.size(), seconds, format).ptr;
  return std::string(text.data(), end);
}

}  // namespace

std::chrono::duration<double> parseTimeout(const std::string& value) {
  const std::string_view number =
      value.starts_with('+') ? std::string_view(value).substr(1) : value;
  const char* end = number.data() + number.size();
  double seconds = 0;
  const auto [stop, error] = std::from_chars(number.data(), end, seconds);
  if (number.empty() || stop != end || error == std::errc::invalid_argument || std::isnan(seconds))
    throw std::invalid_argument("needs a number of seconds, not " + echoed(value));
  // Too large or too small for a double: the sign and size that strtod rounds it to still say
  // which side of the range it lies on, and a positive number too small is still a limit.
  if (error == std::errc::result_out_of_range) {
    seconds = std::strtod(std::string(number).c_str(), nullptr);
    if (seconds == 0 && !std::signbit(seconds))
      seconds = std::numeric_limits<double>::denorm_min();
  }
  if (seconds <= 0)
    throw std::invalid_argument("needs a number of seconds greater than 0, not " + echoed(value));
  if (seconds > kLongestTimeoutSeconds) {
    throw std::invalid_argument("takes at most " + secondsText(kLongestTimeoutSeconds) +
                                " seconds, not " + echoed(value));
  }
  return std::chrono::duration<double>(seconds);
}

FlowRun::FlowRun(CommandContext& context, std::string who)
    : context_(context), who_(std::move(who)), limit_(context.options.timeout) {
  if (!limit_)
    return;
  // A limit under the clock's tick is still a limit, not none.
  deadline_ = EventLoop::Clock::now() + std::chrono::ceil<EventLoop::Clock::duration>(*limit_);
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
  return secondsText(limit_->count()) + (limit_->count() == 1 ? " second" : " seconds");
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
