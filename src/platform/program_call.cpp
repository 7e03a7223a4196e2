#include "platform/program_call.h"

#include "runtime/script_error.h"

namespace hv {

Text commandLineOf(const ProgramCall& call) {
  Text line = u"\"";
  for (const char16_t c : call.program)
    line += c == u'"' ? Text(u"\\\"") : Text(1, c);
  line += u'"';
  for (const Text& argument : call.arguments)
    line += u" " + argument;
  return line;
}

ScriptError unusableProgramPath(const Text& program, TextView why) {
  const ScriptError standard = runtimeError(runtime_error::kBadFileNameOrNumber);
  return ScriptError(standard.number(), standard.source(),
                     standard.description() + u": the program's path " + Text(why) +
                         u" and cannot be handed over whole: " + program);
}

}  // namespace hv
