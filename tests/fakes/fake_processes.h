#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/process_port.h"
#include "platform/program_call.h"
#include "runtime/script_error.h"

namespace hv::testing {

// Records every call in order; starts nothing unless `forwardTo` names a real port, which then
// gets each call after it is recorded. `failure` is thrown by every start; `outcome` is what a
// wait returns; `whileRunning` runs inside a wait, as anything the user sees while the program
// runs would.
class FakeProcesses : public ProcessPort {
 public:
  enum class Kind { Start, StartAndWait, AllowToRun };
  struct Call {
    Kind kind;
    Text text;  // the command line, or the path allowed to run
    WindowStyle style = WindowStyle::Hidden;
    ProgramCall program;  // what a wait started, word for word
  };

  void start(const Text& commandLine, WindowStyle style) override {
    calls.push_back({Kind::Start, commandLine, style, {}});
    if (failure)
      throw *failure;
    if (forwardTo)
      forwardTo->start(commandLine, style);
  }

  ProcessOutcome startAndWait(const ProgramCall& call, WindowStyle style) override {
    calls.push_back({Kind::StartAndWait, commandLineOf(call), style, call});
    if (failure)
      throw *failure;
    if (whileRunning)
      whileRunning();
    if (forwardTo)
      return forwardTo->startAndWait(call, style);
    return outcome;
  }

  void allowToRun(const Text& path) override {
    calls.push_back({Kind::AllowToRun, path, WindowStyle::Hidden, {}});
    if (forwardTo)
      forwardTo->allowToRun(path);
  }

  // The command lines started (waited for or not), in order.
  std::vector<Text> commandLines() const {
    std::vector<Text> lines;
    for (const auto& call : calls) {
      if (call.kind != Kind::AllowToRun)
        lines.push_back(call.text);
    }
    return lines;
  }

  std::vector<Call> calls;
  std::optional<ScriptError> failure;
  ProcessOutcome outcome;
  std::function<void()> whileRunning;
  ProcessPort* forwardTo = nullptr;
};

}  // namespace hv::testing
