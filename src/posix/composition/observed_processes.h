#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/process_port.h"
#include "runtime/script_error.h"

namespace hv {

// Passes every start on to the real port and remembers it: the flows tell the page nothing
// about what they started, but the person at the terminal wants to know.
class ObservedProcesses : public ProcessPort {
 public:
  struct Start {
    Text commandLine;
    std::optional<ScriptError> failure;     // set when the start failed
    std::optional<ProcessOutcome> outcome;  // set when the process was waited for
  };

  explicit ObservedProcesses(ProcessPort& inner) : inner_(inner) {}

  void start(const Text& commandLine, WindowStyle style) override;
  ProcessOutcome startAndWait(const ProgramCall& call, WindowStyle style) override;
  void allowToRun(const Text& path) override { inner_.allowToRun(path); }

  // Runs just before each blocking wait: the flow pumps nothing while it waits, so whatever the
  // panel holds back must be drawn now ("Installing......").
  void beforeEachWait(std::function<void()> draw) { beforeWait_ = std::move(draw); }

  // Every start asked for so far, in order.
  const std::vector<Start>& starts() const { return starts_; }

 private:
  ProcessPort& inner_;
  std::vector<Start> starts_;
  std::function<void()> beforeWait_;
};

}  // namespace hv
