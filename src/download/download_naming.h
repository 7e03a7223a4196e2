#pragma once

#include "platform/clock_port.h"
#include "platform/temp_folder_port.h"
#include "runtime/text.h"
#include "runtime/variant.h"

namespace hv {

Text getFileNameFromURL(TextView url);
Text GetTempFolder(TempFolderPort& temp);
double GetTimeStampMillis(ClockPort& clock);
// The stamp as plain integer digits.
Text timeStampText(double stamp);
// (base, extension) split at the last "."; runtime error 5 without one.
Variant getFileNameParts(const Text& strFileName);
// Runtime error 52 for anything but a plain file name.
void requirePlainFileName(TextView name);
// base + timeStampText(stamp) + "." + extension
Text timeStampedFileName(TextView base, double stamp, TextView extension);

}  // namespace hv
