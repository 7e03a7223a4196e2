#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "runtime/text.h"

namespace hv {

// Levels of a line and of the threshold; a line passes when its level is at least the threshold.
enum LogLevel : std::int16_t {
  kLogDebug = 1,
  kLogInfo = 2,
  kLogSevere = 3,
};

// Writes a diagnostic line at debug level as an information entry. The one entry point the rest
// of the library writes through. The routines here keep the names of the control's stored form
// (see the note in control/control_layout.h).
void LogDebug(Platform& platform, TextView message);

// Writes `message` unchanged with `eventType` when `level` passes this thread's threshold. A
// failure of the event log travels to the caller.
void LogMessage(Platform& platform, std::int16_t level, TextView message, std::int16_t eventType);

// This thread's threshold, read from the registry when the cache asks for it.
std::int16_t GetLogLevel(Platform& platform);

}  // namespace hv
