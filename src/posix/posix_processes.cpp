#include "posix/posix_processes.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <new>
#include <system_error>
#include <thread>

#include "platform/program_call.h"
#include "posix/exit_cleanup.h"
#include "posix/system_errors.h"
#include "posix/windows_command_line.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

extern char** environ;

namespace hv {
namespace {

// The runtime's error for a failed start, in plain words where its standard text says little.
ScriptError startFailure(int error) {
  const ScriptError standard = runtimeError(runtimeErrorFor(error, SystemRequest::ProgramStart));
  if (error != ENOEXEC)
    return standard;
  return ScriptError(standard.number(), standard.source(),
                     standard.description() + u": the file is not a program this system can run");
}

// A program and its words made ready for posix_spawn.
class SpawnRequest {
 public:
  // The words of a command line; a program name without "/" is looked up on PATH.
  explicit SpawnRequest(const Text& commandLine) {
    const std::string line = toAnsi(commandLine);
    // A NUL would end the C string early and start something other than what was logged.
    if (line.find('\0') != std::string::npos)
      throw runtimeError(runtime_error::kInvalidProcedureCall);
    words_ = splitWindowsCommandLine(line);
    if (words_.program.empty())
      throw runtimeError(runtime_error::kInvalidProcedureCall);
    searchPath_ = words_.program.find('/') == std::string::npos;
  }

  // The program at exactly its path, each argument as one word.
  explicit SpawnRequest(const ProgramCall& call) : searchPath_(false) {
    words_.program = toAnsi(call.program);
    if (call.program.empty())
      throw runtimeError(runtime_error::kInvalidProcedureCall);
    if (words_.program.find('\0') != std::string::npos)
      throw unusableProgramPath(call.program, u"holds a NUL character");
    for (const Text& argument : call.arguments) {
      words_.arguments.push_back(toAnsi(argument));
      if (words_.arguments.back().find('\0') != std::string::npos)
        throw runtimeError(runtime_error::kInvalidProcedureCall);
    }
  }

  // 0 with the child's id, or the error number of the failed start. The child leads a process
  // group of its own: an interrupt typed at the host's terminal does not reach it.
  int spawn(pid_t& pid) {
    std::vector<char*> argv{words_.program.data()};
    for (auto& argument : words_.arguments)
      argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t everySignal;
    sigfillset(&everySignal);
    posix_spawnattr_setsigdefault(&attributes, &everySignal);
    sigset_t noSignal;
    sigemptyset(&noSignal);
    posix_spawnattr_setsigmask(&attributes, &noSignal);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

    const char* program = words_.program.c_str();
    const int error = searchPath_
                          ? posix_spawnp(&pid, program, &actions, &attributes, argv.data(), environ)
                          : posix_spawn(&pid, program, &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
  }

 private:
  CommandLineWords words_;
  bool searchPath_;
};

// Blocks until the child has ended; waitpid sleeps in the kernel.
int waitFor(pid_t pid, int& status) {
  pid_t ended;
  do {
    ended = ::waitpid(pid, &status, 0);
  } while (ended == -1 && errno == EINTR);
  return ended == -1 ? errno : 0;
}

}  // namespace

void PosixProcesses::start(const Text& commandLine, WindowStyle) {
  SpawnRequest request(commandLine);
  // The child is started by the thread that will wait for it: once the start has succeeded,
  // nothing can fail in between and leave it unwaited.
  std::promise<int> spawned;
  std::future<int> result = spawned.get_future();
  try {
    std::thread([request = std::move(request), spawned = std::move(spawned)]() mutable {
      pid_t pid = 0;
      int error = ENOMEM;
      try {
        error = request.spawn(pid);
      } catch (const std::bad_alloc&) {
      }
      spawned.set_value(error);
      int status = 0;
      if (error == 0)
        waitFor(pid, status);
    }).detach();
  } catch (const std::system_error&) {
    throw runtimeError(runtime_error::kOutOfMemory);
  }
  if (const int error = result.get(); error != 0)
    throw startFailure(error);
}

ProcessOutcome PosixProcesses::startAndWait(const ProgramCall& call, WindowStyle) {
  SpawnRequest request(call);
  pid_t pid = 0;
  // An interrupt that comes as the program starts is taken only once its id is noted, so that
  // the host can still say which program runs on.
  sigset_t interrupts, before;
  sigemptyset(&interrupts);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaddset(&interrupts, signal);
  ::pthread_sigmask(SIG_BLOCK, &interrupts, &before);
  const int spawnError = request.spawn(pid);
  if (spawnError == 0)
    exit_cleanup::noteWaitedProcess(pid);
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (spawnError != 0)
    throw startFailure(spawnError);
  int status = 0;
  const int error = waitFor(pid, status);
  exit_cleanup::forgetWaitedProcess();
  if (error != 0)
    return {ProcessOutcome::Kind::WaitFailed, 0,
            fromAnsi(std::error_code(error, std::generic_category()).message())};
  if (WIFEXITED(status))
    return {ProcessOutcome::Kind::Exited, static_cast<std::uint32_t>(WEXITSTATUS(status)), {}};
  return {ProcessOutcome::Kind::Signalled, static_cast<std::uint32_t>(WTERMSIG(status)), {}};
}

void PosixProcesses::allowToRun(const Text& path) {
  const std::string name = toAnsi(path);
  if (name.find('\0') != std::string::npos)
    return;
  const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return;
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
    ::fchmod(fd, (info.st_mode & 07777) | S_IXUSR);
  ::close(fd);
}

}  // namespace hv
