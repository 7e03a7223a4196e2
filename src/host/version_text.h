#pragma once

#include <iosfwd>

namespace hv {

// What `hvdetector --version` prints: the program and the library's version in the library's own
// form, the libcurl it runs with and the site domain it was built for. The first line is what
// tools that read versions (help2man among them) take.
void printVersion(std::ostream& out);

}  // namespace hv
