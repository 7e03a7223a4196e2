#include "runtime/printable_text.h"

#include <cstdio>

#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr std::size_t kExcerptCharacters = 80;

bool isControl(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Marks that reorder text or end a line on a terminal without being controls.
bool isLayoutMark(char16_t c) {
  return c == 0x200E || c == 0x200F || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

bool isHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

void appendEscape(Text& out, const char* format, char16_t c) {
  char escape[8];
  std::snprintf(escape, sizeof escape, format, static_cast<unsigned>(c));
  out += textFromAscii(escape);
}

Text printable(TextView text, std::size_t limit) {
  Text out;
  std::size_t shown = 0;
  for (std::size_t i = 0; i < text.size(); ++i, ++shown) {
    if (shown == limit)
      return out + u"...";
    const char16_t c = text[i];
    if (isControl(c))
      appendEscape(out, "\\x%02x", c);
    else if (isLayoutMark(c))
      appendEscape(out, "\\u%04x", c);
    else
      out += c;
    if (isHighSurrogate(c) && i + 1 < text.size())
      out += text[++i];
  }
  return out;
}

}  // namespace

std::string printableText(TextView text) {
  return toUtf8(printable(text, TextView::npos));
}

std::string printablePath(std::string_view path) {
  return printableText(fromUtf8(path));
}

Text printableExcerpt(TextView text) {
  return printable(text, kExcerptCharacters);
}

std::string quotedExcerpt(TextView content) {
  return "\"" + toUtf8(printableExcerpt(content)) + "\"";
}

}  // namespace hv
