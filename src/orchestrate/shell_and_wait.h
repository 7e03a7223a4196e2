#pragma once

#include "platform/platform.h"
#include "runtime/text.h"

namespace hv {

// Starts the program hidden and blocks, pumping nothing, until it has ended; returns how it
// ended. The program gets exactly the path and arguments of `call`, so no text in the path can
// start something else. Any failure, of the start or of the log line before it, is raised as
// -200002 from "shellAndWait", its description naming the failure's description and number.
ProcessOutcome shellAndWait(Platform& platform, const ProgramCall& call);

}  // namespace hv
