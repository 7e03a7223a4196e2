#include "posix/reg_store/reg_file_text.h"

#include "posix/reg_store/reg_file_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::size_t utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    return 2;
  if (lead >= 0xE0 && lead <= 0xEF)
    return 3;
  if (lead >= 0xF0 && lead <= 0xF4)
    return 4;
  return 0;
}

// Structure only (lead and continuation bytes): enough to tell UTF-8 from ANSI text, where
// a lone accented letter is never followed by the continuation bytes UTF-8 needs.
bool looksLikeUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = utf8SequenceLength(static_cast<unsigned char>(bytes[i]));
    if (length == 0 || i + length > bytes.size())
      return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
        return false;
    }
    i += length;
  }
  return true;
}

Text fromUtf16Le(std::string_view bytes) {
  if (bytes.size() % 2 != 0)
    throw RegFileError("", 0, "the file ends inside a UTF-16 character");
  Text text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  return text;
}

}  // namespace

Text decodeRegFileBytes(std::string_view bytes) {
  if (bytes.starts_with(kUtf16LeMark))
    return fromUtf16Le(bytes.substr(kUtf16LeMark.size()));
  if (bytes.starts_with(kUtf8Mark))
    return fromUtf8(bytes.substr(kUtf8Mark.size()));
  return looksLikeUtf8(bytes) ? fromUtf8(bytes) : fromAnsi(bytes, AnsiCodePage::Windows1252);
}

std::string encodeRegFileText(TextView text) {
  std::string bytes(kUtf16LeMark);
  bytes.reserve(2 + text.size() * 2);
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

}  // namespace hv
