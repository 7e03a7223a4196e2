#pragma once

#include "platform/process_port.h"
#include "runtime/script_error.h"

namespace hv {

// The call written as a Windows command line, for the log and for the person reading it: the
// program in quotes (a quote inside it written \"), each argument as it stands.
Text commandLineOf(const ProgramCall& call);

// The refusal of a program path the platform cannot hand over whole; `why` says what the path
// holds ("holds a quote").
ScriptError unusableProgramPath(const Text& program, TextView why);

}  // namespace hv
