#include "host/event_log_sink.h"

#include <iostream>

#include "platform/posix/stream_event_log.h"
#include "platform/posix/syslog_event_log.h"

namespace hv {

std::unique_ptr<EventLogPort> makeEventLog(const HostOptions& options) {
  if (options.log.empty())
    return std::make_unique<SyslogEventLog>();
  if (options.log == "stderr")
    return std::make_unique<StreamEventLog>(std::cerr, "standard error");
  return StreamEventLog::appendingTo(options.log);
}

}  // namespace hv
