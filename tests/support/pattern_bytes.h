#pragma once

#include <cstddef>
#include <string>

namespace hv::testing {

// `size` bytes of a fixed pseudo-random pattern, so offsets can be told apart. Portable: the
// loopback servers send it and the Windows client compares downloaded files with it.
std::string patternBytes(std::size_t size);

}  // namespace hv::testing
