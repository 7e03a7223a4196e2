#pragma once

#include <cstddef>
#include <string>

namespace hv::testing {

// A gzip stream that expands to `size` zero bytes: a small body that would grow a thousandfold
// if anyone decoded it.
std::string gzipOfZeros(std::size_t size);

}  // namespace hv::testing
