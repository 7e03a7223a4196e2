#include "platform/posix/stream_event_log.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "platform/posix/posix_code_page.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

std::string_view typeWord(std::int16_t eventType) {
  switch (eventType) {
    case kEventError:
      return "error";
    case kEventWarning:
      return "warning";
    default:
      return "information";
  }
}

// Line breaks inside a message become an indented continuation, so that every entry starts a
// line with the prefix and text from a page cannot pose as an entry of its own.
std::string entryLine(std::int16_t eventType, TextView message) {
  std::string line = "HVDetector ";
  line += typeWord(eventType);
  line += ": ";
  const std::string text = toAnsi(message, kPosixCodePage);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
      line += "\n\t";
    } else {
      line += text[i];
    }
  }
  line += '\n';
  return line;
}

}  // namespace

StreamEventLog::StreamEventLog(std::ostream& out, std::string target)
    : out_(out), target_(std::move(target)) {}

StreamEventLog::StreamEventLog(std::unique_ptr<std::ostream> owned, std::string target)
    : owned_(std::move(owned)), out_(*owned_), target_(std::move(target)) {}

StreamEventLog::~StreamEventLog() = default;

std::unique_ptr<StreamEventLog> StreamEventLog::appendingTo(const std::string& path) {
  auto file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::app);
  if (!*file)
    throw std::runtime_error("cannot open log file " + path + ": " + std::strerror(errno));
  return std::unique_ptr<StreamEventLog>(new StreamEventLog(std::move(file), path));
}

void StreamEventLog::report(std::int16_t eventType, TextView message) {
  out_ << entryLine(eventType, message) << std::flush;
  if (!out_) {
    // A later line may get through again (the disk may have room by then).
    out_.clear();
    throw ScriptError(runtime_error::kDeviceIoError, u"HVDetector",
                      u"Device I/O error: the log line could not be written to " +
                          fromAnsi(target_, kPosixCodePage));
  }
}

}  // namespace hv
