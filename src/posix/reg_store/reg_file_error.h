#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "runtime/printable_text.h"

namespace hv {

// A .reg file that cannot be read as a whole. `line` is 1-based; 0 when the fault is not on a
// line (a file that cannot be opened, for one).
class RegFileError : public std::runtime_error {
 public:
  RegFileError(std::string file, std::size_t line, const std::string& message)
      : std::runtime_error(locate(file, line) + message),
        file_(std::move(file)),
        line_(line),
        reason_(message) {}

  // The same fault, now naming the file it lies in.
  RegFileError inFile(std::string file) const {
    return RegFileError(std::move(file), line_, reason_);
  }

  const std::string& file() const { return file_; }
  std::size_t line() const { return line_; }
  const std::string& reason() const { return reason_; }

 private:
  static std::string locate(const std::string& file, std::size_t line) {
    return printablePath(file) + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": ";
  }
  std::string file_;
  std::size_t line_;
  std::string reason_;
};

}  // namespace hv
