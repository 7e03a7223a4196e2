#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace hv::testing {

// The program the process tests start (tests/programs/recording_program.cpp).
inline const std::string kRecordingProgram = HVDETECTOR_RECORDING_PROGRAM;

// What the recording program wrote: its process id and its arguments, argv[0] first.
struct ProgramRecord {
  pid_t pid = 0;
  std::vector<std::string> argv;
};

// A FIFO named to the recording program through HVDETECTOR_RECORD while this object lives. It is
// open for reading from the start, so the program's write never waits for the test, and the
// test learns the program has written by the program closing its end, not by the clock.
class RecordingFifo {
 public:
  RecordingFifo() {
    ::mkfifo(path_.c_str(), 0600);
    fd_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  }
  ~RecordingFifo() { ::close(fd_); }
  RecordingFifo(const RecordingFifo&) = delete;
  RecordingFifo& operator=(const RecordingFifo&) = delete;

  // The record of the one program that writes it; none when nothing came within `limit`.
  std::optional<ProgramRecord> await(std::chrono::seconds limit = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::string bytes;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd ready{fd_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
        return std::nullopt;
      char chunk[4096];
      const ssize_t n = ::read(fd_, chunk, sizeof chunk);
      if (n > 0)
        bytes.append(chunk, static_cast<std::size_t>(n));
      else if (n == 0)
        break;  // the writer has closed its end
      else if (errno != EAGAIN && errno != EINTR)
        return std::nullopt;
    }
    return parse(bytes);
  }

 private:
  static std::optional<ProgramRecord> parse(const std::string& bytes) {
    std::vector<std::string> fields;
    for (std::size_t start = 0, end; (end = bytes.find('\0', start)) != std::string::npos;
         start = end + 1)
      fields.push_back(bytes.substr(start, end - start));
    if (fields.empty())
      return std::nullopt;
    ProgramRecord record{static_cast<pid_t>(std::stol(fields[0])), {}};
    record.argv.assign(fields.begin() + 1, fields.end());
    return record;
  }

  TempDir dir_;
  std::string path_ = (dir_ / "record").string();
  ScopedEnv name_{"HVDETECTOR_RECORD", path_};
  int fd_ = -1;
};

// True once no process `pid` exists any more, not even as a zombie waiting to be reaped. The
// reaping happens on a thread of the port, right after the child ends; the test can only watch.
inline bool goneWithin(pid_t pid, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (::kill(pid, 0) == 0 || errno != ESRCH) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::yield();
  }
  return true;
}

}  // namespace hv::testing
