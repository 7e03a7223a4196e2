#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace hv {

// Event types as the system log defines them; the library writes information entries only.
enum EventType : std::int16_t {
  kEventError = 1,
  kEventWarning = 2,
  kEventInformation = 4,
};

// The system's application log. A failure to write is thrown as a ScriptError.
class EventLogPort {
 public:
  virtual ~EventLogPort() = default;
  virtual void report(std::int16_t eventType, TextView message) = 0;
};

}  // namespace hv
