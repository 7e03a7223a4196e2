#pragma once

#include <string>
#include <string_view>

#include "runtime/text.h"

namespace hv {

// Text from a store file, or a file's name, as an error message shows it: control characters
// (C0, DEL, C1) and the characters that reorder or break a terminal line are written as escapes
// (\x1b, \u202e), so nothing a file holds reaches the terminal as a command.
std::string printableText(TextView text);
std::string printablePath(std::string_view path);

// Content quoted from a file: printable, in double quotes, and cut to about 80 characters, so a
// malformed line of megabytes still gives a one-line message.
std::string quotedExcerpt(TextView content);

}  // namespace hv
