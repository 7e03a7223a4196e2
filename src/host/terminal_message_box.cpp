#include "host/terminal_message_box.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr char kHostTitle[] = "hvdetector";

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\r\n") == 0) {
      lines.emplace_back();
      ++i;
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

// Columns a line takes: every UTF-8 sequence counts as one.
std::size_t widthOf(const std::string& line) {
  std::size_t width = 0;
  for (unsigned char c : line)
    width += (c & 0xC0) != 0x80 ? 1 : 0;
  return width;
}

void drawBox(std::ostream& out, const std::string& title, const std::vector<std::string>& lines) {
  std::size_t width = widthOf(title) + 4;
  for (const auto& line : lines)
    width = std::max(width, widthOf(line) + 6);
  const std::string ok = "[ OK ]";
  width = std::max(width, ok.size() + 4);
  out << "+- " << title << " " << std::string(width - widthOf(title) - 3, '-') << "+\n";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out << "| " << (i == 0 ? "(X) " : "    ") << lines[i]
        << std::string(width - widthOf(lines[i]) - 5, ' ') << "|\n";
  }
  const std::size_t left = (width - ok.size()) / 2;
  out << "|" << std::string(left, ' ') << ok << std::string(width - left - ok.size(), ' ') << "|\n+"
      << std::string(width, '-') << "+\n";
}

}  // namespace

void TerminalMessageBox::showCritical(TextView text, std::optional<TextView> title) {
  ++shown_;
  if (beforeShow_)
    beforeShow_();
  const auto lines = linesOf(toUtf8(text));
  if (mode_ == BoxMode::Print) {
    if (title)
      err_ << toUtf8(*title) << "\n";
    for (const auto& line : lines)
      err_ << line << "\n";
    err_ << std::flush;
    return;
  }
  drawBox(err_, title ? toUtf8(*title) : kHostTitle, lines);
  err_ << "Press Enter to close the box." << std::flush;
  std::string ignored;
  if (!std::getline(in_, ignored))
    err_ << "\n" << std::flush;  // nothing was typed to end the line
}

}  // namespace hv
