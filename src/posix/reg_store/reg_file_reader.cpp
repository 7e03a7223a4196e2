#include "posix/reg_store/reg_file_reader.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry_port.h"
#include "posix/reg_store/reg_file_error.h"
#include "posix/reg_store/registry_root_names.h"
#include "runtime/printable_text.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr TextView kHeader4 = u"REGEDIT4";
constexpr TextView kHeader5 = u"Windows Registry Editor Version 5.00";

bool isBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r';
}

TextView trimmed(TextView s) {
  while (!s.empty() && isBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

bool startsWithIgnoringCase(TextView s, TextView prefix) {
  return s.size() >= prefix.size() &&
         foldRegistryName(s.substr(0, prefix.size())) == foldRegistryName(prefix);
}

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9')
    return c - u'0';
  if (c >= u'a' && c <= u'f')
    return c - u'a' + 10;
  if (c >= u'A' && c <= u'F')
    return c - u'A' + 10;
  return -1;
}

// 1 to `maxDigits` hex digits and nothing else.
std::optional<std::uint32_t> parseHex(TextView s, std::size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits)
    return std::nullopt;
  std::uint32_t value = 0;
  for (const char16_t c : s) {
    const int digit = hexDigit(c);
    if (digit < 0)
      return std::nullopt;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::vector<std::uint8_t> utf16LeBytes(TextView text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

bool isStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

class Reader {
 public:
  Reader(TextView content, RegistryTree& tree) : content_(content), tree_(tree) {}

  void read() {
    readHeader();
    for (TextView raw; nextLine(raw);) {
      const TextView line = trimmed(raw);
      if (line.empty() || line.front() == u';')
        continue;
      if (line.front() == u'[')
        readKeyLine(line);
      else
        readValueLine(line);
    }
  }

 private:
  struct CurrentKey {
    std::uint32_t root;
    Text path;
  };

  [[noreturn]] void fail(const std::string& message) const {
    throw RegFileError("", line_, message);
  }

  // The next line, which becomes the current one; false at the end of the content. Lines are
  // taken one at a time, so a file of many short lines costs no more than its own text.
  bool nextLine(TextView& line) {
    if (next_ > content_.size())
      return false;
    const std::size_t end = std::min(content_.find(u'\n', next_), content_.size());
    line = content_.substr(next_, end - next_);
    next_ = end + 1;
    ++line_;
    return true;
  }

  void readHeader() {
    TextView header;
    while (nextLine(header) && trimmed(header).empty()) {
    }
    header = trimmed(header);
    if (header.empty())
      line_ = 1;
    if (header == kHeader5)
      unicode_ = true;
    else if (header != kHeader4)
      fail("not a registry file: the first line must be \"" + toUtf8(kHeader5) + "\" or \"" +
           toUtf8(kHeader4) + "\"");
  }

  void readKeyLine(TextView line) {
    if (line.back() != u']')
      fail("key name without its closing \"]\"");
    TextView name = line.substr(1, line.size() - 2);
    const bool deletion = !name.empty() && name.front() == u'-';
    if (deletion)
      name.remove_prefix(1);
    const auto [root, path] = splitKeyName(name);
    if (deletion) {
      tree_.deleteKey(root, path);
      current_.reset();
    } else {
      tree_.createKey(root, path);
      current_ = CurrentKey{root, path};
    }
  }

  std::pair<std::uint32_t, Text> splitKeyName(TextView name) {
    const std::size_t cut = name.find(u'\\');
    const TextView rootName = name.substr(0, cut);
    const Text path = cut == TextView::npos ? Text() : trimKeyPath(name.substr(cut + 1));
    const auto root = registryRootByName(rootName);
    if (!root)
      fail("unknown root key " + quotedExcerpt(rootName));
    if (path.starts_with(u'\\') || path.find(u"\\\\") != TextView::npos)
      fail("empty level in key name " + quotedExcerpt(name));
    return splitClassesRoot(*root, path);
  }

  void readValueLine(TextView line) {
    if (!current_)
      fail("value outside a key");
    std::size_t at = 0;
    const Text name = readValueName(line, at);
    skipBlanks(line, at);
    if (at >= line.size() || line[at] != u'=')
      fail("\"=\" expected after the value name");
    ++at;
    skipBlanks(line, at);
    readValueData(name, line.substr(at));
  }

  Text readValueName(TextView line, std::size_t& at) {
    if (line.front() == u'@') {
      at = 1;
      return Text();
    }
    if (line.front() != u'"')
      fail("value name expected: \"name\" or @");
    at = 1;
    return readQuoted(line, at);
  }

  // The text up to the closing quote, whose position `at` is left after.
  Text readQuoted(TextView line, std::size_t& at) {
    Text text;
    for (; at < line.size(); ++at) {
      char16_t c = line[at];
      if (c == u'"') {
        ++at;
        return text;
      }
      if (c == u'\\') {
        if (++at == line.size())
          break;
        c = line[at];
        if (c != u'\\' && c != u'"')
          fail("unknown escape " + quotedExcerpt(line.substr(at - 1, 2)) + " in a string");
      }
      text += c;
    }
    fail("unterminated string");
  }

  static void skipBlanks(TextView line, std::size_t& at) {
    while (at < line.size() && isBlank(line[at]))
      ++at;
  }

  void requireNothingAfter(TextView rest) {
    rest = trimmed(rest);
    if (!rest.empty() && rest.front() != u';')
      fail("unexpected text after the value: " + quotedExcerpt(rest));
  }

  void readValueData(const Text& name, TextView data) {
    RegistryKey& key = *tree_.findKey(current_->root, current_->path);
    const Text folded = foldRegistryName(name);
    if (!data.empty() && data.front() == u'-') {
      requireNothingAfter(data.substr(1));
      key.values.erase(folded);
      return;
    }
    RegistryValue value{name, kRegSz, {}};
    if (!data.empty() && data.front() == u'"') {
      std::size_t at = 1;
      Text text = readQuoted(data, at);
      requireNothingAfter(data.substr(at));
      text += u'\0';
      value.data = utf16LeBytes(text);
    } else if (startsWithIgnoringCase(data, u"dword:")) {
      value.type = kRegDword;
      value.data = readDword(data.substr(6));
    } else if (startsWithIgnoringCase(data, u"hex:")) {
      value.type = kRegBinary;
      value.data = readHexBytes(data.substr(4));
    } else if (startsWithIgnoringCase(data, u"hex(")) {
      const std::size_t close = data.find(u"):");
      const auto type =
          close == TextView::npos ? std::nullopt : parseHex(data.substr(4, close - 4), 8);
      if (!type)
        fail("bad value type in \"hex(N):\"");
      value.type = *type;
      value.data = readHexBytes(data.substr(close + 2));
      if (!unicode_ && isStringType(value.type))
        value.data = ansiStringAsUtf16(value.data);
    } else {
      fail("value data expected: a string, dword:, hex: or hex(N):");
    }
    key.values[folded] = std::move(value);
  }

  std::vector<std::uint8_t> readDword(TextView digits) {
    const std::size_t end = digits.find(u';');
    const auto number = parseHex(trimmed(digits.substr(0, end)), 8);
    if (!number)
      fail("bad dword: 1 to 8 hex digits expected");
    std::vector<std::uint8_t> bytes(4);
    for (int i = 0; i < 4; ++i)
      bytes[i] = static_cast<std::uint8_t>(*number >> (8 * i));
    return bytes;
  }

  // Comma-separated byte pairs; a line ending in "\" continues on the next line.
  std::vector<std::uint8_t> readHexBytes(TextView segment) {
    std::vector<std::uint8_t> bytes;
    for (;;) {
      segment = trimmed(segment);
      const bool continues = !segment.empty() && segment.back() == u'\\';
      if (continues)
        segment.remove_suffix(1);
      readHexSegment(segment, bytes);
      if (!continues)
        return bytes;
      if (!nextLine(segment))
        fail("continued hex data at the end of the file");
    }
  }

  void readHexSegment(TextView segment, std::vector<std::uint8_t>& bytes) {
    std::size_t start = 0;
    while (start < segment.size()) {
      const std::size_t comma = segment.find(u',', start);
      const TextView token = trimmed(segment.substr(start, comma - start));
      const bool last = comma == TextView::npos || comma + 1 == segment.size();
      if (!(token.empty() && last)) {
        const auto byte = parseHex(token, 2);
        if (!byte)
          fail("bad hex byte " + quotedExcerpt(token));
        bytes.push_back(static_cast<std::uint8_t>(*byte));
      }
      if (comma == TextView::npos)
        break;
      start = comma + 1;
    }
  }

  // Older files give string types in the ANSI code page; the tree holds UTF-16.
  static std::vector<std::uint8_t> ansiStringAsUtf16(const std::vector<std::uint8_t>& ansi) {
    return utf16LeBytes(
        fromAnsi(std::string_view(reinterpret_cast<const char*>(ansi.data()), ansi.size()),
                 AnsiCodePage::Windows1252));
  }

  TextView content_;
  RegistryTree& tree_;
  std::size_t next_ = 0;  // where the line after the current one starts
  std::size_t line_ = 0;  // the current line, 1-based
  bool unicode_ = false;
  std::optional<CurrentKey> current_;
};

}  // namespace

void readRegFile(TextView content, RegistryTree& tree) {
  Reader(content, tree).read();
}

}  // namespace hv
