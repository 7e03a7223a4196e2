#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace hv::testing {

// Where a child's standard output goes.
enum class ChildOutput {
  DevFull,     // a device that is always full
  Closed,      // no descriptor at all
  ClosedPipe,  // a pipe nobody reads any more
  WithErrors,  // the file standard error goes to
};

struct ChildResult {
  std::optional<int> exitStatus;  // set when the child exited
  std::optional<int> signal;      // set when a signal ended it
};

// This process's environment with each "NAME=value" of `changes` put in place of NAME's entry.
inline std::vector<std::string> changedEnvironment(const std::vector<std::string>& changes) {
  std::vector<std::string> entries;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('=') + 1);
    bool replaced = false;
    for (const auto& change : changes)
      replaced = replaced || change.starts_with(name);
    if (!replaced)
      entries.push_back(entry);
  }
  entries.insert(entries.end(), changes.begin(), changes.end());
  return entries;
}

inline std::vector<char*> pointersTo(const std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (const auto& s : strings)
    pointers.push_back(const_cast<char*>(s.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Runs `program` with `args` and the environment `changes`, standard output as asked and
// standard error into `errPath`, and waits at most `limitMs` for it; a child still running then
// is killed and the wait fails.
inline ChildResult runChild(const std::string& program, std::vector<std::string> args,
                            const std::vector<std::string>& changes, ChildOutput output,
                            const std::string& errPath, int limitMs = 60000) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int pipeEnds[2] = {-1, -1};
  switch (output) {
    case ChildOutput::DevFull:
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/full", O_WRONLY, 0);
      break;
    case ChildOutput::Closed:
      posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
      break;
    case ChildOutput::ClosedPipe:
      if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
      ::close(pipeEnds[0]);
      posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
      break;
    case ChildOutput::WithErrors:
      break;  // once standard error is open, below
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (output == ChildOutput::WithErrors)
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
  // The test runner's own dispositions are not the child's business.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &pipeSignal);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  args.insert(args.begin(), program);
  const std::vector<std::string> environment = changedEnvironment(changes);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes,
                                  pointersTo(args).data(), pointersTo(environment).data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (pipeEnds[1] >= 0)
    ::close(pipeEnds[1]);
  if (spawned != 0)
    throw std::runtime_error("cannot start " + program);

  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  pollfd ready{pidfd, POLLIN, 0};
  const bool ended = pidfd >= 0 && ::poll(&ready, 1, limitMs) == 1;
  if (pidfd >= 0)
    ::close(pidfd);
  if (!ended)
    ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!ended)
    throw std::runtime_error(program + " did not end in time");
  if (WIFEXITED(status))
    return {WEXITSTATUS(status), std::nullopt};
  return {std::nullopt, WTERMSIG(status)};
}

}  // namespace hv::testing
