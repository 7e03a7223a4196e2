#include "posix/syslog_event_log.h"

#include <syslog.h>

#include "posix/posix_code_page.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

int priorityOf(std::int16_t eventType) {
  switch (eventType) {
    case kEventError:
      return LOG_ERR;
    case kEventWarning:
      return LOG_WARNING;
    default:
      return LOG_INFO;
  }
}

}  // namespace

SyslogEventLog::SyslogEventLog() {
  openlog("HVDetector", LOG_PID, LOG_USER);
}

SyslogEventLog::~SyslogEventLog() {
  closelog();
}

void SyslogEventLog::report(std::int16_t eventType, TextView message) {
  syslog(priorityOf(eventType), "%s", toAnsi(message, kPosixCodePage).c_str());
}

}  // namespace hv
