#include "posix/reg_store/reg_file_format.h"

#include <cstdio>

#include "platform/registry_port.h"
#include "posix/reg_store/registry_root_names.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr TextView kNewline = u"\r\n";
constexpr std::size_t kBytesPerLine = 24;

Text quoted(TextView text) {
  Text out = u"\"";
  for (const char16_t c : text) {
    if (c == u'\\' || c == u'"')
      out += u'\\';
    out += c;
  }
  return out + u"\"";
}

Text hexText(std::uint32_t value, const char* format) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, format, value);
  return textFromAscii(buffer);
}

// The string a plain "..." notation gives back: UTF-16 ending in one NUL, with no other NUL
// and nothing that would end the line.
bool isPlainString(const RegistryValue& value, Text& text) {
  if (value.type != kRegSz || value.data.size() < 2 || value.data.size() % 2 != 0)
    return false;
  text.clear();
  for (std::size_t i = 0; i < value.data.size(); i += 2)
    text += static_cast<char16_t>(value.data[i] | value.data[i + 1] << 8);
  if (text.back() != u'\0')
    return false;
  text.pop_back();
  return text.find_first_of(Text(u"\r\n\0", 3)) == Text::npos;
}

Text hexData(const RegistryValue& value) {
  Text out = value.type == kRegBinary ? Text(u"hex:") : u"hex(" + hexText(value.type, "%x") + u"):";
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    if (i > 0)
      out += i % kBytesPerLine == 0 ? Text(u",\\") + Text(kNewline) + u"  " : Text(u",");
    out += hexText(value.data[i], "%02x");
  }
  return out;
}

Text valueLine(const RegistryValue& value) {
  const Text name = value.name.empty() ? Text(u"@") : quoted(value.name);
  Text text;
  if (isPlainString(value, text))
    return name + u"=" + quoted(text);
  if (value.type == kRegDword && value.data.size() == 4) {
    const std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                 static_cast<std::uint32_t>(value.data[3]) << 24;
    return name + u"=dword:" + hexText(number, "%08x");
  }
  return name + u"=" + hexData(value);
}

}  // namespace

Text formatRegFile(const RegistryTree& tree) {
  Text out = u"Windows Registry Editor Version 5.00";
  out += kNewline;
  for (const auto& [root, keys] : tree.roots()) {
    const Text rootName = textFromAscii(registryRootName(root));
    for (const auto& [folded, key] : keys) {
      out += kNewline;
      out += u"[" + rootName + (key.path.empty() ? Text() : u"\\" + key.path) + u"]";
      out += kNewline;
      for (const auto& [name, value] : key.values) {
        out += valueLine(value);
        out += kNewline;
      }
    }
  }
  return out;
}

}  // namespace hv
