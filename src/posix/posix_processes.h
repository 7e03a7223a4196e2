#pragma once

#include "platform/process_port.h"

namespace hv {

// Processes started with posix_spawn from the words of their Windows command line; nothing goes
// through a shell. A program name without "/" is looked up on PATH. Children read no terminal
// input (standard input is /dev/null) and start with the default signal dispositions and an
// empty signal mask, whatever the host has set for itself.
class PosixProcesses : public ProcessPort {
 public:
  // The program runs in a process group of its own, as a program opened from a browser page
  // does not go when the host's terminal is interrupted. A thread of its own waits for it, so
  // it leaves no zombie however long it runs.
  void start(const Text& commandLine, WindowStyle style) override;
  // The program is started at exactly its path, in a process group of its own like the above, so
  // that an interrupt typed at the terminal does not end an installer halfway. The wait blocks
  // in the kernel until the child has ended; a child that has ended already is still there to be
  // waited for. While it lasts, a host ended by a signal or its time limit says the program is
  // still running.
  ProcessOutcome startAndWait(const ProgramCall& call, WindowStyle style) override;
  // Adds the owner's execute permission to a regular file reached without following a link;
  // anything else is left as it is, for the start to report.
  void allowToRun(const Text& path) override;
};

}  // namespace hv
