#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "messaging/frame_reader.h"
#include "support/child_process.h"

namespace hv::testing {

// The messaging host started as a browser starts it: arguments, the environment, and frames
// through a pipe either way. The host is killed if a test leaves it running.
class MessagingHostProcess {
 public:
  MessagingHostProcess(std::vector<std::string> args, const std::vector<std::string>& changes) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    args.insert(args.begin(), HVDETECTOR_MESSAGING_HOST);
    const auto environment = changedEnvironment(changes);
    const int spawned = posix_spawn(&pid_, HVDETECTOR_MESSAGING_HOST, &actions, nullptr,
                                    pointersTo(args).data(), pointersTo(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
    if (spawned != 0)
      throw std::runtime_error("cannot start the messaging host");
    ::signal(SIGPIPE, SIG_IGN);
  }
  ~MessagingHostProcess() {
    closeInput();
    ::close(output_);
    if (!status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  MessagingHostProcess(const MessagingHostProcess&) = delete;
  MessagingHostProcess& operator=(const MessagingHostProcess&) = delete;

  void sendBytes(const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
      const ssize_t n = ::write(input_, bytes.data() + sent, bytes.size() - sent);
      if (n <= 0)
        return;  // the host has gone; what it said before is still to be read
      sent += static_cast<std::size_t>(n);
    }
  }
  void send(const nlohmann::json& message) { sendBytes(encodeFrame(message.dump())); }
  void closeInput() {
    if (input_ >= 0)
      ::close(input_);
    input_ = -1;
  }

  // The next message, skipping panel events unless asked for; none when the host ends or stays
  // silent for `limitMs`.
  std::optional<nlohmann::json> receive(bool panels = false, int limitMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
      while (auto frame = reader_.next()) {
        auto message = nlohmann::json::parse(*frame);
        if (panels || message.value("name", "") != "panel")
          return message;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd ready{output_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) != 1)
        return std::nullopt;
      std::uint8_t buffer[65536];
      const ssize_t n = ::read(output_, buffer, sizeof buffer);
      if (n <= 0)
        return std::nullopt;
      reader_.feed({buffer, static_cast<std::size_t>(n)});
    }
  }

  // The exit status once the host ended by itself within `limitMs`; none otherwise.
  std::optional<int> exitStatus(int limitMs = 10000) {
    if (status_)
      return status_;
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    pollfd ended{pidfd, POLLIN, 0};
    const bool done = pidfd >= 0 && ::poll(&ended, 1, limitMs) == 1;
    if (pidfd >= 0)
      ::close(pidfd);
    int status = 0;
    if (done && ::waitpid(pid_, &status, 0) == pid_)
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
  }

 private:
  pid_t pid_ = 0;
  int input_ = -1;
  int output_ = -1;
  FrameReader reader_{1u << 30};
  std::optional<int> status_;
};

}  // namespace hv::testing
