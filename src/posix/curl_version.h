#pragma once

#include <string>

namespace hv {

// The version of the libcurl this process runs with, which may be newer than the one it was
// built against.
std::string curlVersion();

}  // namespace hv
