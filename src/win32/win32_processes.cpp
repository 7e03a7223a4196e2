#include "win32/win32_processes.h"

#include <windows.h>

#include <string>

#include "platform/program_call.h"
#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"
#include "win32/win32_system_errors.h"

namespace hv {
namespace {

// A browser starts its messaging host inside a job object that is closed, and every process in
// it killed, when the browser goes: an installer started from there would be cut off halfway.
// Whatever the library starts leaves the job when the job lets it; CreateProcessW refuses the
// flag in a job that does not, and outside a job there is nothing to leave.
DWORD breakawayFromJob() {
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  if (!QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &limits, sizeof limits,
                                 nullptr))
    return 0;
  return (limits.BasicLimitInformation.LimitFlags & JOB_OBJECT_LIMIT_BREAKAWAY_OK) != 0
             ? CREATE_BREAKAWAY_FROM_JOB
             : 0;
}

// Starts the line as a new process and hands back the handles CreateProcessW gave.
PROCESS_INFORMATION createProcess(const Text& commandLine, WindowStyle style) {
  // A NUL would end the line early and start something other than what was logged.
  if (commandLine.empty() || commandLine.find(u'\0') != Text::npos)
    throw runtimeError(runtime_error::kInvalidProcedureCall);
  // CreateProcessW may write into the line it is given.
  std::wstring line(commandLine.begin(), commandLine.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = style == WindowStyle::Hidden ? SW_HIDE : SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, breakawayFromJob(), nullptr,
                      nullptr, &startup, &process))
    throw runtimeError(runtimeErrorFor(GetLastError(), SystemRequest::ProgramStart));
  return process;
}

void closeHandles(const PROCESS_INFORMATION& process) {
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

ProcessOutcome waitFailed(DWORD systemError) {
  return {ProcessOutcome::Kind::WaitFailed, 0,
          u"system error " + numberToText(static_cast<std::int32_t>(systemError))};
}

// Waits through a handle of its own for the process; the caller still holds the one from
// CreateProcessW, so the process cannot vanish before it is opened, even if it has ended.
ProcessOutcome waitForProcess(DWORD processId) {
  HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, processId);
  if (handle == nullptr)
    return waitFailed(GetLastError());
  ProcessOutcome outcome;
  DWORD exitCode = 0;
  if (WaitForSingleObject(handle, INFINITE) != WAIT_OBJECT_0)
    outcome = waitFailed(GetLastError());
  else if (!GetExitCodeProcess(handle, &exitCode))
    outcome = waitFailed(GetLastError());
  else
    outcome = {ProcessOutcome::Kind::Exited, exitCode, {}};
  CloseHandle(handle);
  return outcome;
}

}  // namespace

void Win32Processes::start(const Text& commandLine, WindowStyle style) {
  closeHandles(createProcess(commandLine, style));
}

// A quoted program name ends at the next quote, with no escapes: a path holding a quote (or a
// NUL) cannot be named whole, and what it names instead is never started.
ProcessOutcome Win32Processes::startAndWait(const ProgramCall& call, WindowStyle style) {
  if (call.program.find(u'"') != Text::npos)
    throw unusableProgramPath(call.program, u"holds a quote");
  if (call.program.find(u'\0') != Text::npos)
    throw unusableProgramPath(call.program, u"holds a NUL character");
  const PROCESS_INFORMATION process = createProcess(commandLineOf(call), style);
  const ProcessOutcome outcome = waitForProcess(process.dwProcessId);
  closeHandles(process);
  return outcome;
}

}  // namespace hv
