#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace hv::banner {

struct Rgb {
  std::uint8_t r, g, b;
};

// A palette image, rows top first, one palette index per pixel.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<Rgb> palette;  // 2, 4, 8, ... 256 entries
  std::vector<std::uint8_t> pixels;
  std::optional<std::uint8_t> transparentIndex;
};

}  // namespace hv::banner
