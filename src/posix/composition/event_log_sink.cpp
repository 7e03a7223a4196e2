#include "posix/composition/event_log_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "posix/stream_event_log.h"
#include "posix/syslog_event_log.h"
#include "runtime/printable_text.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// A FIFO that nobody reads would hold the open for ever: a probe that does not wait says so
// first.
void requireOpenableWithoutWaiting(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int error = errno;
    throw std::runtime_error(error == ENXIO ? std::string("it is a FIFO nobody reads")
                                            : std::strerror(error));
  }
  ::close(fd);
}

// The log is the person's aid, not the run's result: a log that cannot be written is said once
// on standard error, and the run goes on without it.
class ReportingEventLog : public EventLogPort {
 public:
  ReportingEventLog(std::unique_ptr<EventLogPort> inner, std::ostream& err)
      : inner_(std::move(inner)), err_(err) {}

  void report(std::int16_t eventType, TextView message) override {
    if (!inner_)
      return;
    try {
      inner_->report(eventType, message);
    } catch (const ScriptError& e) {
      inner_.reset();
      err_ << "hvdetector: " << printableText(e.description()) << "; going on without the log\n";
    }
  }

 private:
  std::unique_ptr<EventLogPort> inner_;
  std::ostream& err_;
};

std::unique_ptr<EventLogPort> openedLog(const HostOptions& options, std::ostream& err) {
  if (options.log.empty())
    return std::make_unique<SyslogEventLog>();
  if (options.log == "stderr")
    return std::make_unique<StreamEventLog>(std::cerr, "standard error");
  try {
    requireOpenableWithoutWaiting(options.log);
    return StreamEventLog::appendingTo(options.log);
  } catch (const std::runtime_error& e) {
    err << "hvdetector: cannot open the log " << printablePath(options.log) << ": " << e.what()
        << "; going on without the log\n";
    return nullptr;
  }
}

}  // namespace

std::unique_ptr<EventLogPort> makeEventLog(const HostOptions& options, std::ostream& err) {
  return std::make_unique<ReportingEventLog>(openedLog(options, err), err);
}

}  // namespace hv
