#include "download/download_naming.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "runtime/library_errors.h"
#include "runtime/script_error.h"
#include "runtime/text_compare.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

void requireSearchableLength(TextView text) {
  if (text.size() > kLongestSearchableText)
    throw runtimeError(runtime_error::kOverflow);
}

// A count taken from two positions; a negative one is an invalid argument, as for Mid or Left.
TextView charactersBetween(TextView text, std::size_t from, std::ptrdiff_t count) {
  if (count < 0)
    throw runtimeError(runtime_error::kInvalidProcedureCall);
  return text.substr(from, static_cast<std::size_t>(count));
}

bool isForbiddenInFileName(char16_t c) {
  switch (c) {
    case u'/':
    case u'\\':
    case u':':
    case u'*':
    case u'?':
    case u'"':
    case u'<':
    case u'>':
    case u'|':
      return true;
    default:
      return c < u' ';
  }
}

// Names the Windows file system hands to a device instead of a file, with any extension.
bool namesADevice(TextView name) {
  constexpr std::array<std::string_view, 22> kDevices = {
      "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
      "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
  TextView stem = name.substr(0, name.find(u'.'));
  while (stem.ends_with(u' '))
    stem.remove_suffix(1);
  return std::any_of(kDevices.begin(), kDevices.end(), [stem](std::string_view device) {
    return equalsIgnoringAsciiCase(device, stem);
  });
}

}  // namespace

Text getFileNameFromURL(TextView url) {
  requireSearchableLength(url);
  const auto question = url.rfind(u'?');
  const auto nameEnd = question == TextView::npos ? url.size() : question;
  const auto slash = url.rfind(u'/');
  if (slash == TextView::npos)
    throw ScriptError(kMalformedUrl, Text(), u"Malformed URL");
  const auto nameStart = slash + 1;
  return Text(charactersBetween(
      url, nameStart,
      static_cast<std::ptrdiff_t>(nameEnd) - static_cast<std::ptrdiff_t>(nameStart)));
}

Text GetTempFolder(TempFolderPort& temp) {
  const auto path = temp.tempPath();
  if (!path)
    return Text();
  const std::string_view ansi(*path);
  return fromAnsi(ansi.substr(0, ansi.find('\0')));
}

double GetTimeStampMillis(ClockPort& clock) {
  const LocalDateTime now = clock.localNow();
  double stamp = static_cast<double>(now.year) * 365 * 24 * 60 * 60 * 1000;
  stamp += static_cast<double>(now.dayOfYear) * 24 * 60 * 60 * 1000;
  stamp += static_cast<double>(now.hour) * 60 * 60 * 1000;
  stamp += static_cast<double>(now.minute) * 60 * 1000;
  stamp += static_cast<double>(now.second) * 1000;
  return stamp;
}

Text timeStampText(double stamp) {
  // Fixed notation holds any double's integer part (309 digits at most) and its sign.
  std::array<char, 320> digits;
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), stamp,
                                    std::chars_format::fixed, 0);
  return textFromAscii(std::string_view(digits.data(), result.ptr));
}

Variant getFileNameParts(const Text& strFileName) {
  requireSearchableLength(strFileName);
  const auto dot = strFileName.rfind(u'.');
  const auto dotPosition = dot == Text::npos ? std::ptrdiff_t{0} : std::ptrdiff_t(dot) + 1;
  Text base(charactersBetween(strFileName, 0, dotPosition - 1));
  Text extension(TextView(strFileName).substr(dot + 1));
  return Variant(Variant::Array{Variant(std::move(base)), Variant(std::move(extension))});
}

std::optional<Text> fileNameRefusal(TextView name) {
  if (name.empty() || name == u"." || name == u"..")
    return u"is no file name";
  if (std::any_of(name.begin(), name.end(), isForbiddenInFileName))
    return u"holds a character no file name may hold (a folder separator, a quote, ...)";
  if (namesADevice(name))
    return u"names a device";
  return std::nullopt;
}

void requirePlainFileName(TextView name) {
  if (fileNameRefusal(name))
    throw runtimeError(runtime_error::kBadFileNameOrNumber);
}

Text timeStampedFileName(TextView base, double stamp, TextView extension) {
  Text name(base);
  name += timeStampText(stamp);
  name += u'.';
  name += extension;
  return name;
}

}  // namespace hv
