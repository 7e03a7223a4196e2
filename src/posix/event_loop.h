#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>

#include "platform/message_pump_port.h"

namespace hv {

// The host's message loop: one thread, posted tasks, socket readiness and timers. Every handler
// may pump again from inside, and may add or remove watches and timers while it runs.
class EventLoop : public MessagePumpPort {
 public:
  using Task = std::function<void()>;
  using Clock = std::chrono::steady_clock;
  using TimerId = std::uint64_t;

  enum Readiness : unsigned { kReadable = 1, kWritable = 2 };

  void post(Task task);

  // One watch per descriptor; watching again replaces it. `onReady` gets the Readiness bits.
  void watch(int fd, unsigned events, std::function<void(unsigned ready)> onReady);
  void unwatch(int fd);

  TimerId startTimer(std::chrono::milliseconds delay, Task task);
  void cancelTimer(TimerId id);

  // Handles every waiting message and returns without waiting (socket readiness at most once a
  // millisecond).
  void pumpOnce() override;

  // Waits until a message is waiting (at most `limit`), then handles every waiting message.
  void waitAndPump(std::chrono::milliseconds limit);

  // Pumps until `done` holds; false when `deadline` passed first.
  bool runUntil(const std::function<bool()>& done,
                std::optional<Clock::time_point> deadline = std::nullopt);

 private:
  struct Watch {
    unsigned events;
    std::function<void(unsigned)> onReady;
  };
  struct Timer {
    Clock::time_point due;
    Task task;
  };

  void pump(int waitMillis);
  void dispatchReadySockets(int waitMillis);
  void runDueTimers();
  void runPostedTasks();
  int millisUntilNextTimer() const;

  static constexpr auto kSocketCheckInterval = std::chrono::milliseconds(1);

  std::deque<Task> tasks_;
  std::map<int, Watch> watches_;
  std::map<TimerId, Timer> timers_;
  TimerId nextTimer_ = 1;
  Clock::time_point lastSocketCheck_{};
};

}  // namespace hv
