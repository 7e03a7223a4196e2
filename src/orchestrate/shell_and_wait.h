#pragma once

#include "platform/platform.h"
#include "runtime/text.h"

namespace hv {

// Starts `commandLine` hidden and blocks, pumping nothing, until the process has ended; returns
// how it ended. Any failure, of the start or of the log line before it, is raised as -200002
// from "shellAndWait", its description naming the failure's description and number.
ProcessOutcome shellAndWait(Platform& platform, Text commandLine);

}  // namespace hv
