#pragma once

#include <string_view>

#include "runtime/text.h"

namespace hv {

// Case-insensitive equality for ASCII letters, as script hosts compare member names, ProgIDs
// and the runtime's "True"/"False".
bool equalsIgnoringAsciiCase(TextView a, TextView b);
bool equalsIgnoringAsciiCase(std::string_view ascii, TextView b);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace hv
