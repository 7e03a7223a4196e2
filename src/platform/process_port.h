#pragma once

#include <cstdint>
#include <vector>

#include "runtime/text.h"

namespace hv {

// How the started program's main window first appears. Only Windows gives it a meaning; other
// platforms record it.
enum class WindowStyle {
  Hidden,
  NormalFocus,
};

// How a waited-for process ended.
struct ProcessOutcome {
  enum class Kind {
    Exited,      // `code` is the exit status
    Signalled,   // `code` is the number of the signal that ended it
    WaitFailed,  // the process could not be waited for; `reason` says why
  };
  Kind kind = Kind::Exited;
  std::uint32_t code = 0;
  Text reason;
};

// A program named by its exact path, and its arguments word for word: nothing is read out of a
// command line, so no text in a path can name another program or add an argument.
struct ProgramCall {
  Text program;
  std::vector<Text> arguments;
};

// Starts command lines as new processes. A command line is read by the Windows rules on every
// platform: the program named at its start (a quoted name runs to the next quote; an unquoted one
// to the first blank or tab), the rest split into that program's arguments as the C runtime
// splits them. Nothing goes through a shell.
//
// A start that fails throws the runtime's ScriptError for the cause (53 "File not found" for a
// missing program, 70 "Permission denied", 5 "Invalid procedure call or argument" for an empty
// or unreadable command line).
class ProcessPort {
 public:
  virtual ~ProcessPort() = default;

  // Starts the process and lets it run on its own; it is never waited for, and the platform
  // makes sure it leaves nothing behind when it ends.
  virtual void start(const Text& commandLine, WindowStyle style) = 0;

  // Starts the program and blocks, without pumping messages, until it has ended (also when it
  // ended before the wait began). A program path the platform cannot hand over whole (a quote
  // on Windows, a NUL anywhere) is refused with 52 "Bad file name or number", its description
  // naming the path; nothing is started then.
  virtual ProcessOutcome startAndWait(const ProgramCall& call, WindowStyle style) = 0;

  // Lets the downloaded file at `path` be started as a program. Windows needs nothing; POSIX
  // gives its owner the execute permission. Only installers pass through here: a downloaded
  // document never becomes executable. A missing file is left for the start to report.
  virtual void allowToRun(const Text& path) = 0;
};

}  // namespace hv
