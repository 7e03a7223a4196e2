#pragma once

#include <sys/types.h>

#include <string>

namespace hv::exit_cleanup {

// What a host about to end by a signal or by its time limit does first, kept where a signal
// handler can reach it. Download files that are still being written are removed, so that none
// that looks complete is left behind. A program being waited for is reported as still running,
// with its process id; it is never ended, since an installer stopped midway can leave a
// half-installed application.

// Returns a ticket for forgetFile, or -1 when every place is taken (the file is then only
// cleaned up by its own failure path).
int noteUnfinishedFile(const std::string& path);
void forgetFile(int ticket);

void noteWaitedProcess(pid_t pid);
void forgetWaitedProcess();
// The process being waited for, or 0.
pid_t waitedProcess();

// Removes the unfinished files and, when a program is being waited for, writes
// "WHO: the installer (process N) is still running" to standard error. Async-signal-safe.
void finishBeforeExit(const char* who);

// SIGINT, SIGTERM and SIGHUP finish as above, then end the host by that same signal. `who`
// must live as long as the process.
void finishOnSignals(const char* who);

}  // namespace hv::exit_cleanup
