#include "download/download_naming.h"

#include <cstdint>

#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {

Text getFileNameFromURL(TextView url) {
  const auto q = url.rfind(u'?');
  const auto s = url.rfind(u'/');
  if (s == TextView::npos)
    throw ScriptError(-200000, u"", u"Malformed URL");
  const auto end = q == TextView::npos ? url.size() : q;
  if (end < s + 1)
    throw runtimeError(runtime_error::kInvalidProcedureCall);
  return Text(url.substr(s + 1, end - s - 1));
}

Text GetTempFolder(TempFolderPort& temp) {
  const auto path = temp.tempPath();
  return path ? fromAnsi(*path) : Text();
}

double GetTimeStampMillis(ClockPort& clock) {
  const LocalDateTime now = clock.localNow();
  double t = static_cast<double>(now.year) * 365 * 24 * 60 * 60 * 1000;
  t += static_cast<double>(now.dayOfYear) * 24 * 60 * 60 * 1000;
  t += static_cast<double>(now.hour) * 60 * 60 * 1000;
  t += static_cast<double>(now.minute) * 60 * 1000;
  t += static_cast<double>(now.second) * 1000;
  return t;
}

Text timeStampText(double stamp) {
  return textFromAscii(std::to_string(static_cast<std::int64_t>(stamp)));
}

Variant getFileNameParts(const Text& strFileName) {
  const auto p = strFileName.rfind(u'.');
  if (p == Text::npos)
    throw runtimeError(runtime_error::kInvalidProcedureCall);
  return Variant(
      Variant::Array{Variant(strFileName.substr(0, p)), Variant(strFileName.substr(p + 1))});
}

void requirePlainFileName(TextView name) {
  const bool plain = !name.empty() && name != u"." && name != u".." &&
                     name.find_first_of(u"/\\:") == TextView::npos &&
                     name.find(u'\0') == TextView::npos;
  if (!plain)
    throw runtimeError(runtime_error::kBadFileNameOrNumber);
}

Text timeStampedFileName(TextView base, double stamp, TextView extension) {
  return Text(base) + timeStampText(stamp) + u"." + Text(extension);
}

}  // namespace hv
