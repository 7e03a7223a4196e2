#pragma once

#include <cstdint>
#include <vector>

#include "tools/banner/indexed_image.h"

namespace hv::banner {

// The image as a GIF89a: global palette, a graphic control extension when it has a transparent
// colour, one LZW-compressed frame. Throws std::invalid_argument for an image it cannot hold
// (palette size not a power of two from 2 to 256, an index outside the palette, a size that
// does not match the pixels or does not fit 16 bits).
std::vector<std::uint8_t> encodeGif89a(const IndexedImage& image);

// The variable-length LZW code stream of GIF for `indices`, each below 2^minCodeSize, before
// it is cut into sub-blocks.
std::vector<std::uint8_t> lzwCompress(const std::vector<std::uint8_t>& indices, int minCodeSize);

}  // namespace hv::banner
