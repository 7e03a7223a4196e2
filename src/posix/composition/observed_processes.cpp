#include "posix/composition/observed_processes.h"

#include "platform/program_call.h"

namespace hv {

void ObservedProcesses::start(const Text& commandLine, WindowStyle style) {
  const std::size_t at = starts_.size();
  starts_.push_back({commandLine, std::nullopt, std::nullopt});
  try {
    inner_.start(commandLine, style);
  } catch (const ScriptError& e) {
    starts_[at].failure = e;
    throw;
  }
}

ProcessOutcome ObservedProcesses::startAndWait(const ProgramCall& call, WindowStyle style) {
  const std::size_t at = starts_.size();
  starts_.push_back({commandLineOf(call), std::nullopt, std::nullopt});
  if (beforeWait_)
    beforeWait_();
  try {
    const ProcessOutcome outcome = inner_.startAndWait(call, style);
    starts_[at].outcome = outcome;
    return outcome;
  } catch (const ScriptError& e) {
    starts_[at].failure = e;
    throw;
  }
}

}  // namespace hv
