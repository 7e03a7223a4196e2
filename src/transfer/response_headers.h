#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hv {

// Why a response's body cannot be read as the server framed it: which framing is at fault and
// the reason given with it. Each transfer reports it under its own library's number.
struct FramingFault {
  enum Kind { kLength, kCoding };
  Kind kind;
  std::string reason;
};

// The header fields of one response, as HTTP transfer libraries read them: a field is a name
// without blanks, a colon and a value; any other line is not a field.
class ResponseHeaders {
 public:
  void clear() { fields_.clear(); }
  // `line` without its line break.
  void addLine(std::string_view line);

  // The first value of the field `name` (any case), or nothing.
  const std::string* find(std::string_view name) const;

  // Whatever would make the body's length or bytes differ from what the server meant: a
  // Content-Length that is not plain decimal digits or that disagrees with another one, a body
  // framed both by a length and by a transfer coding, or a transfer coding other than chunked (its
  // decoded form is not the bytes served, and a transfer library would hold all of it in memory
  // while the reader is behind).
  std::optional<FramingFault> framingFault() const;

 private:
  std::vector<std::string_view> valuesOf(std::string_view name) const;

  std::vector<std::pair<std::string, std::string>> fields_;
};

}  // namespace hv
