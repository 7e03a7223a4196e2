#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "messaging/host_usage.h"
#include "messaging/posix/messaging_host.h"

// The browser reads frames from standard output. They go out on a descriptor of the host's own,
// kept from every program the host starts, and standard output itself is pointed at standard
// error, so that nothing else written there (an installer's output among it) can break a frame.
int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto text = hv::textForAPerson(args, {})) {
    std::fputs(text->c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  const int frames = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  if (frames < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    std::perror("hvdetector-messaging-host: standard output");
    return 1;
  }
  // A browser that went away is seen as a failed write, not as a signal that ends the host
  // before it has released what it holds. Programs it starts get the default back.
  std::signal(SIGPIPE, SIG_IGN);
  return hv::runMessagingHost(args, STDIN_FILENO, frames);
}
