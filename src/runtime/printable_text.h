#pragma once

#include <string>
#include <string_view>

#include "runtime/text.h"

namespace hv {

// Text from a store file, a server or a page, or a file's name, as a message shows it: control
// characters (C0, DEL, C1) and the characters that reorder or break a terminal line are written
// as escapes (\x1b, \u202e), so nothing such text holds reaches a terminal as a command.
std::string printableText(TextView text);
std::string printablePath(std::string_view path);

// Printable as above and cut after 80 characters (then "..."), so that a line of megabytes still
// gives a one-line message.
Text printableExcerpt(TextView text);

// Content quoted from a file: the excerpt in double quotes.
std::string quotedExcerpt(TextView content);

}  // namespace hv
