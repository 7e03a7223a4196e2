#pragma once

#include "platform/process_port.h"

namespace hv {

// CreateProcessW with the command line exactly as built; Windows and the started program's C
// runtime read it themselves. Downloaded programs need no permission to run.
class Win32Processes : public ProcessPort {
 public:
  void start(const Text& commandLine, WindowStyle style) override;
  ProcessOutcome startAndWait(const ProgramCall& call, WindowStyle style) override;
  void allowToRun(const Text&) override {}
};

}  // namespace hv
