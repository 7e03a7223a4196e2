#pragma once

#include <cstdint>
#include <vector>

#include "tools/banner/extension_icon.h"

namespace hv::banner {

// The square as a PNG file (8-bit RGBA, no interlacing), compressed with zlib.
std::vector<std::uint8_t> encodePng(const RgbaSquare& image);

}  // namespace hv::banner
