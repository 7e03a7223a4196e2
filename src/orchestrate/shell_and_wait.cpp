#include "orchestrate/shell_and_wait.h"

#include "diag/event_logging.h"
#include "platform/program_call.h"
#include "runtime/library_errors.h"
#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"

namespace hv {

ProcessOutcome shellAndWait(Platform& platform, const ProgramCall& call) {
  try {
    LogDebug(platform, u"Executing " + commandLineOf(call));
    return platform.processes.startAndWait(call, WindowStyle::Hidden);
  } catch (const ScriptError& failure) {
    throw ScriptError(kRefusedOrFailed, u"shellAndWait",
                      u"shellAndWait:Error launching process " + failure.description() + u" " +
                          numberToText(failure.number()));
  }
}

}  // namespace hv
