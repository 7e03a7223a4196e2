#pragma once

#include <optional>

#include "runtime/text.h"

namespace hv {

// The registered open command with `path` in place of every "%1": found from the start,
// case-sensitively, never inside text already put in. The path goes in as it is, quotes around
// "%1" staying as they stand, except where a "%1" stands outside quotes and the path holds a
// blank or tab: there the path is quoted, so that the program still reads one argument and not
// the pieces of a path. A path that no quoting carries whole (one holding a quote or ending in a
// backslash) or that a program would read as an option (beginning with "-") is refused with
// error 5. A command without "%1" comes back unchanged.
Text withDocumentPath(TextView command, TextView path);

// Why withDocumentPath refuses `path`, in words that follow the path; nothing when it takes it.
std::optional<Text> documentPathRefusal(TextView path);

}  // namespace hv
