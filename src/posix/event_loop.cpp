#include "posix/event_loop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

namespace hv {

void EventLoop::post(Task task) {
  tasks_.push_back(std::move(task));
}

void EventLoop::watch(int fd, unsigned events, std::function<void(unsigned)> onReady) {
  watches_[fd] = Watch{events, std::move(onReady)};
}

void EventLoop::unwatch(int fd) {
  watches_.erase(fd);
}

EventLoop::TimerId EventLoop::startTimer(std::chrono::milliseconds delay, Task task) {
  const TimerId id = nextTimer_++;
  timers_[id] = Timer{Clock::now() + delay, std::move(task)};
  return id;
}

void EventLoop::cancelTimer(TimerId id) {
  timers_.erase(id);
}

// A download pumps once per 4096-byte chunk, tens of thousands of times a second; asking the
// system about sockets every time would cost more than the copying itself. Posted tasks and due
// timers are handled on every pump; sockets at most once per millisecond, far below what a
// person or a page could notice.
void EventLoop::pumpOnce() {
  const auto now = Clock::now();
  if (now - lastSocketCheck_ >= kSocketCheckInterval) {
    pump(0);
    return;
  }
  runDueTimers();
  runPostedTasks();
}

void EventLoop::waitAndPump(std::chrono::milliseconds limit) {
  int wait = tasks_.empty() ? static_cast<int>(limit.count()) : 0;
  const int timer = millisUntilNextTimer();
  if (timer >= 0)
    wait = std::min(wait, timer);
  pump(wait);
}

bool EventLoop::runUntil(const std::function<bool()>& done,
                         std::optional<Clock::time_point> deadline) {
  using std::chrono::milliseconds;
  while (!done()) {
    auto limit = milliseconds(1000);
    if (deadline) {
      const auto left = std::chrono::ceil<milliseconds>(*deadline - Clock::now());
      if (left <= milliseconds(0))
        return false;
      limit = std::min(limit, left);
    }
    waitAndPump(limit);
  }
  return true;
}

void EventLoop::pump(int waitMillis) {
  dispatchReadySockets(waitMillis);
  runDueTimers();
  runPostedTasks();
}

void EventLoop::dispatchReadySockets(int waitMillis) {
  lastSocketCheck_ = Clock::now();
  std::vector<pollfd> fds;
  fds.reserve(watches_.size());
  for (const auto& [fd, watch] : watches_) {
    const short events = static_cast<short>(((watch.events & kReadable) ? POLLIN : 0) |
                                            ((watch.events & kWritable) ? POLLOUT : 0));
    fds.push_back(pollfd{fd, events, 0});
  }
  const int ready = ::poll(fds.data(), fds.size(), waitMillis);
  if (ready < 0 && errno != EINTR)
    throw std::system_error(errno, std::generic_category(), "poll");
  if (ready <= 0)
    return;
  for (const pollfd& p : fds) {
    if (p.revents == 0)
      continue;
    // An earlier handler may have dropped or replaced this watch.
    const auto found = watches_.find(p.fd);
    if (found == watches_.end())
      continue;
    unsigned readiness = 0;
    if (p.revents & (POLLIN | POLLHUP | POLLERR))
      readiness |= kReadable;
    if (p.revents & (POLLOUT | POLLERR))
      readiness |= kWritable;
    const auto onReady = found->second.onReady;
    onReady(readiness);
  }
}

void EventLoop::runDueTimers() {
  const auto now = Clock::now();
  std::vector<TimerId> due;
  for (const auto& [id, timer] : timers_) {
    if (timer.due <= now)
      due.push_back(id);
  }
  for (TimerId id : due) {
    const auto found = timers_.find(id);
    if (found == timers_.end())
      continue;
    const Task task = std::move(found->second.task);
    timers_.erase(found);
    task();
  }
}

// Only what was waiting when the pump began: a task that posts again waits for the next pump.
void EventLoop::runPostedTasks() {
  for (std::size_t waiting = tasks_.size(); waiting > 0 && !tasks_.empty(); --waiting) {
    const Task task = std::move(tasks_.front());
    tasks_.pop_front();
    task();
  }
}

int EventLoop::millisUntilNextTimer() const {
  if (timers_.empty())
    return -1;
  auto next = timers_.begin()->second.due;
  for (const auto& [id, timer] : timers_)
    next = std::min(next, timer.due);
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
  return static_cast<int>(std::max<long long>(left, 0));
}

}  // namespace hv
