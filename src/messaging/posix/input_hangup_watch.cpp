#include "messaging/posix/input_hangup_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <system_error>

namespace hv {

void InputHangupWatch::start() {
  // Without a way to stop it, the wait goes unwatched, as it always went.
  if (thread_.joinable() || ::pipe2(stopPipe_, O_CLOEXEC) != 0)
    return;
  try {
    thread_ = std::thread([this, stopSignal = stopPipe_[0]] { watch(stopSignal); });
  } catch (const std::system_error&) {
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
  }
}

void InputHangupWatch::stop() {
  if (!thread_.joinable())
    return;
  const char stop = 0;
  while (::write(stopPipe_[1], &stop, 1) < 0 && errno == EINTR) {
  }
  thread_.join();
  ::close(stopPipe_[0]);
  ::close(stopPipe_[1]);
}

void InputHangupWatch::watch(int stopSignal) {
  // No events asked for on the input: a hang-up is reported all the same, and frames that
  // arrive meanwhile wake nobody.
  pollfd watched[2] = {{input_, 0, 0}, {stopSignal, POLLIN, 0}};
  while (::poll(watched, 2, -1) < 0) {
    if (errno != EINTR)
      return;
  }
  if (watched[1].revents != 0 || (watched[0].revents & (POLLHUP | POLLERR)) == 0)
    return;
  err_ << "messaging host: the page has gone while its installer runs: the host ends, the "
          "installer goes on"
       << std::endl;
  ::_exit(0);
}

}  // namespace hv
