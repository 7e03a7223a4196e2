#include "win32/win32_event_log.h"

#include <windows.h>

#include <string>

#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {

void Win32EventLog::report(std::int16_t eventType, TextView message) {
  HANDLE source = RegisterEventSourceA(nullptr, "HVDetector");
  if (source == nullptr)
    throw ScriptError(static_cast<std::int32_t>(GetLastError()), u"HVDetector",
                      u"The event log cannot be opened");
  const std::string line = toAnsi(message);
  const char* strings[] = {line.c_str()};
  const BOOL written =
      ReportEventA(source, static_cast<WORD>(eventType), 0, 0, nullptr, 1, 0, strings, nullptr);
  const DWORD failure = written ? 0 : GetLastError();
  DeregisterEventSource(source);
  if (!written)
    throw ScriptError(static_cast<std::int32_t>(failure), u"HVDetector",
                      u"The event log entry cannot be written");
}

}  // namespace hv
