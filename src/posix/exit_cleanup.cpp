#include "posix/exit_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <cstring>

namespace hv::exit_cleanup {
namespace {

// One place per file number the runtime can hold open. A place is claimed, filled, then armed;
// the handler reads only armed places, and a place is disarmed before it is reused.
struct Place {
  std::atomic<bool> claimed{false};
  std::atomic<bool> armed{false};
  char path[PATH_MAX];
};
std::array<Place, 256> places;
std::atomic<pid_t> waited{0};
const char* signalWho = "hvdetector";

void writeAll(const char* text) {
  std::size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t n = ::write(STDERR_FILENO, text, left);
    if (n <= 0)
      return;
    text += n;
    left -= static_cast<std::size_t>(n);
  }
}

// Decimal digits without the allocation or locale of the standard formatting.
void writeNumber(long value) {
  char digits[24];
  char* at = digits + sizeof digits;
  *--at = '\0';
  do {
    *--at = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  writeAll(at);
}

void onSignal(int signal) {
  finishBeforeExit(signalWho);
  struct sigaction original {};
  original.sa_handler = SIG_DFL;
  sigemptyset(&original.sa_mask);
  ::sigaction(signal, &original, nullptr);
  ::raise(signal);  // delivered as the handler returns: the host ends by the signal it got
}

}  // namespace

int noteUnfinishedFile(const std::string& path) {
  if (path.size() >= PATH_MAX)
    return -1;
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (places[i].claimed.exchange(true))
      continue;
    std::memcpy(places[i].path, path.c_str(), path.size() + 1);
    places[i].armed = true;
    return static_cast<int>(i);
  }
  return -1;
}

void forgetFile(int ticket) {
  if (ticket < 0 || static_cast<std::size_t>(ticket) >= places.size())
    return;
  places[static_cast<std::size_t>(ticket)].armed = false;
  places[static_cast<std::size_t>(ticket)].claimed = false;
}

void noteWaitedProcess(pid_t pid) {
  waited = pid;
}

void forgetWaitedProcess() {
  waited = 0;
}

pid_t waitedProcess() {
  return waited;
}

void finishBeforeExit(const char* who) {
  for (Place& place : places) {
    if (place.armed.exchange(false))
      ::unlink(place.path);
  }
  if (const pid_t pid = waited; pid > 0) {
    writeAll(who);
    writeAll(": the installer (process ");
    writeNumber(pid);
    writeAll(") is still running\n");
  }
}

void finishOnSignals(const char* who) {
  signalWho = who;
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaddset(&action.sa_mask, signal);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the host was started ignoring (a job in the background) stays ignored.
    struct sigaction before {};
    if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
      ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace hv::exit_cleanup
