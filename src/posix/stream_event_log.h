#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "platform/event_log_port.h"

namespace hv {

// Log lines for someone watching a run, on standard error or in a file: one entry per line, the
// message in UTF-8 after a short prefix naming the library and the event type.
class StreamEventLog : public EventLogPort {
 public:
  // Writes to a stream the caller keeps open; `target` names it in error messages.
  StreamEventLog(std::ostream& out, std::string target);
  ~StreamEventLog() override;

  // Appends to the file at `path`, creating it; throws std::runtime_error when it cannot.
  static std::unique_ptr<StreamEventLog> appendingTo(const std::string& path);

  void report(std::int16_t eventType, TextView message) override;

 private:
  StreamEventLog(std::unique_ptr<std::ostream> owned, std::string target);

  std::unique_ptr<std::ostream> owned_;
  std::ostream& out_;
  std::string target_;
};

}  // namespace hv
