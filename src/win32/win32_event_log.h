#pragma once

#include "platform/event_log_port.h"

namespace hv {

// The Application event log, under the source "HVDetector".
class Win32EventLog : public EventLogPort {
 public:
  void report(std::int16_t eventType, TextView message) override;
};

}  // namespace hv
