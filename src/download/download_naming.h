#pragma once

#include <cstddef>
#include <optional>

#include "platform/clock_port.h"
#include "platform/temp_folder_port.h"
#include "runtime/text.h"
#include "runtime/variant.h"

namespace hv {

// The routines of the stored form keep its names (see the note in control/control_layout.h):
// `getFileNameFromURL`, `GetTempFolder`, `GetTimeStampMillis`, `getFileNameParts`. The helpers
// the library adds beside them are named as the rest of the project is.

// Character positions are 16-bit: texts beyond this cannot be searched.
inline constexpr std::size_t kLongestSearchableText = 32766;

// The file name a URL asks for: the text between its last "/" and its last "?" (or its end).
// No "/" at all is -200000 "Malformed URL"; a last "?" before the last "/" is error 5; a URL
// longer than a character position can count (32,766) is error 6.
Text getFileNameFromURL(TextView url);

// The user's temporary folder ending in the separator, or empty text when the system cannot say.
Text GetTempFolder(TempFolderPort& temp);

// Pseudo-milliseconds on a calendar of 365-day years: unique to the second, always a whole
// number of thousands, exact in a double.
double GetTimeStampMillis(ClockPort& clock);

// A time stamp as plain decimal digits: no fraction, separators or exponent.
Text timeStampText(double stamp);

// (text before the last ".", text after it) as an array of two texts; no "." is error 5.
Variant getFileNameParts(const Text& strFileName);

// Refuses, with error 52 "Bad file name or number", any name that is not a single plain file
// name on every platform: one that could climb out of its folder, name a device or a stream,
// hold a wildcard, or carry a quote or control character into a command line later.
void requirePlainFileName(TextView name);
// Why `name` is refused so, in words that follow the name ("names a device"); nothing when it
// is a plain file name.
std::optional<Text> fileNameRefusal(TextView name);

// base + the stamp's digits + "." + extension: the local name of a download.
Text timeStampedFileName(TextView base, double stamp, TextView extension);

}  // namespace hv
