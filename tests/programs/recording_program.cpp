// A program the tests start as a document's application or as an installer. It writes its
// process id and every argument it received, each ended by a NUL, to the file or FIFO named by
// HVDETECTOR_RECORD; lingers HVDETECTOR_LINGER_MS milliseconds; then exits with the status in
// HVDETECTOR_EXIT, or is killed by a signal when that says "signal".
#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void record(const char* path, int argc, char** argv) {
  std::string entries = std::to_string(::getpid());
  entries += '\0';
  for (int i = 0; i < argc; ++i) {
    entries += argv[i];
    entries += '\0';
  }
  const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0)
    std::exit(120);
  for (std::size_t done = 0; done < entries.size();) {
    const ssize_t n = ::write(fd, entries.data() + done, entries.size() - done);
    if (n <= 0)
      std::exit(121);
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

void linger(const char* milliseconds) {
  const long ms = std::atol(milliseconds);
  timespec pause{ms / 1000, (ms % 1000) * 1000000};
  while (::nanosleep(&pause, &pause) != 0) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* path = std::getenv("HVDETECTOR_RECORD"))
    record(path, argc, argv);
  if (const char* ms = std::getenv("HVDETECTOR_LINGER_MS"))
    linger(ms);
  const char* exit = std::getenv("HVDETECTOR_EXIT");
  if (exit != nullptr && std::strcmp(exit, "signal") == 0)
    ::kill(::getpid(), SIGKILL);
  return exit != nullptr ? std::atoi(exit) : 0;
}
