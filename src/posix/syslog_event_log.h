#pragma once

#include "platform/event_log_port.h"

namespace hv {

// The system log, under the source "HVDetector": one entry per line, the text unchanged.
class SyslogEventLog : public EventLogPort {
 public:
  SyslogEventLog();
  ~SyslogEventLog() override;
  void report(std::int16_t eventType, TextView message) override;
};

}  // namespace hv
