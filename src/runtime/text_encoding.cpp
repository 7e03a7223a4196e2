#include "runtime/text_encoding.h"

#include <array>
#include <cstdint>

namespace hv {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
// A byte of the UTF-8 code page that is no part of a character: U+DC00 plus the byte.
constexpr char16_t kEscapedByteBase = 0xDC00;
constexpr char16_t kFirstEscapedByte = 0xDC80;
constexpr char16_t kLastEscapedByte = 0xDCFF;

// Windows-1252 0x80-0x9F. The five holes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control
// of the same value, as Windows' own table does, so every byte round-trips.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool isHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void appendUtf16(Text& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

struct Decoded {
  bool wellFormed;
  char32_t cp;
  std::size_t length;  // bytes looked at: the whole sequence, or up to where it broke
};

// One UTF-8 sequence starting at `i`: a scalar value, never an overlong form or a surrogate.
Decoded decodeUtf8(std::string_view s, std::size_t i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  if (lead < 0x80)
    return {true, lead, 1};
  int extra;
  char32_t cp;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    return {false, 0, 1};
  }
  std::size_t length = 1;
  for (int k = 0; k < extra; ++k, ++length) {
    if (i + length >= s.size() || (static_cast<unsigned char>(s[i + length]) & 0xC0) != 0x80)
      return {false, 0, length};
    cp = (cp << 6) | (static_cast<unsigned char>(s[i + length]) & 0x3F);
  }
  const bool scalar = cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
  return {scalar, cp, length};
}

// Walks UTF-16 text character by character: a well-formed pair is one character, a lone
// surrogate is handed over as it stands.
template <typename Append>
void forEachCharacter(TextView text, Append append) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      append(0x10000 + ((char32_t{c} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      append(char32_t{c});
    }
  }
}

bool isSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

std::string toUtf8CodePage(TextView text) {
  std::string out;
  out.reserve(text.size());
  forEachCharacter(text, [&out](char32_t c) {
    if (c >= kFirstEscapedByte && c <= kLastEscapedByte)
      out += static_cast<char>(c - kEscapedByteBase);
    else
      appendUtf8(out, isSurrogate(c) ? kReplacement : c);
  });
  return out;
}

// UTF-8 to UTF-16; `illFormed` appends what a broken sequence (its first byte and the bytes
// looked at) becomes and says how many bytes it takes.
template <typename IllFormed>
Text decodeUtf8Text(std::string_view bytes, IllFormed illFormed) {
  Text out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const Decoded d = decodeUtf8(bytes, i);
    if (d.wellFormed) {
      appendUtf16(out, d.cp);
      i += d.length;
    } else {
      i += illFormed(out, static_cast<unsigned char>(bytes[i]), d.length);
    }
  }
  return out;
}

Text fromUtf8CodePage(std::string_view bytes) {
  // Only the first byte: what follows may start a character of its own.
  return decodeUtf8Text(bytes, [](Text& out, unsigned char lead, std::size_t) {
    out += static_cast<char16_t>(kEscapedByteBase + lead);
    return std::size_t{1};
  });
}

char windows1252FromChar(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
    return static_cast<char>(c);
  for (std::size_t k = 0; k < kHighControls.size(); ++k) {
    if (kHighControls[k] == c)
      return static_cast<char>(0x80 + k);
  }
  return '?';
}

std::string toWindows1252(TextView text) {
  std::string out;
  out.reserve(text.size());
  // A surrogate pair is one character the code page cannot hold: one "?", not two.
  forEachCharacter(text, [&out](char32_t c) { out += windows1252FromChar(c); });
  return out;
}

Text fromWindows1252(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out += byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t{byte};
  }
  return out;
}

}  // namespace

Text textFromAscii(std::string_view ascii) {
  return Text(ascii.begin(), ascii.end());
}

std::string toUtf8(TextView text) {
  std::string out;
  out.reserve(text.size());
  forEachCharacter(text,
                   [&out](char32_t c) { appendUtf8(out, isSurrogate(c) ? kReplacement : c); });
  return out;
}

Text fromUtf8(std::string_view utf8) {
  return decodeUtf8Text(utf8, [](Text& out, unsigned char, std::size_t length) {
    out += kReplacement;
    return length;
  });
}

std::string toAnsi(TextView text, AnsiCodePage page) {
  return page == AnsiCodePage::Utf8 ? toUtf8CodePage(text) : toWindows1252(text);
}

Text fromAnsi(std::string_view ansi, AnsiCodePage page) {
  return page == AnsiCodePage::Utf8 ? fromUtf8CodePage(ansi) : fromWindows1252(ansi);
}

std::string toAnsi(TextView text) {
  return toAnsi(text, ansiCodePage());
}

Text fromAnsi(std::string_view ansi) {
  return fromAnsi(ansi, ansiCodePage());
}

}  // namespace hv
