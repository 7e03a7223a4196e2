#include "posix/stream_event_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "posix/posix_code_page.h"
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

// The UTF-8 bytes at `i` that a terminal would take as a control or a reordering mark, as the
// code point they encode; 0 for anything else. Other bytes pass as they are, UTF-8 or not.
unsigned markAt(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) {
    return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u;
  };
  if (byte(i) == 0xC2 && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F)
    return byte(i + 1);
  if (byte(i) == 0xE2 && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x81) {
    const unsigned point = 0x2000 + ((byte(i + 1) & 0x3F) << 6) + (byte(i + 2) & 0x3F);
    if (point == 0x200E || point == 0x200F || (point >= 0x2028 && point <= 0x202E) ||
        (point >= 0x2066 && point <= 0x2069))
      return point;
  }
  return 0;
}

// Line breaks inside a message become an indented continuation, so that every entry starts a
// line with the prefix and text from a page cannot pose as an entry of its own. Every other
// control or reordering character is escaped as store text is (\x1b, \u202e): the log may be a
// terminal.
std::string entryLine(std::int16_t eventType, TextView message) {
  std::string line = "HVDetector ";
  line += typeWord(eventType);
  line += ": ";
  const std::string text = toAnsi(message, kPosixCodePage);
  char escape[8];
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
      line += "\n\t";
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      line += escape;
    } else if (const unsigned mark = markAt(text, i)) {
      std::snprintf(escape, sizeof escape, mark < 0x100 ? "\\x%02x" : "\\u%04x", mark);
      line += escape;
      i += mark < 0x100 ? 1 : 2;
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
