#pragma once

#include <cstdint>
#include <vector>

namespace hv::banner {

// A square picture in 8-bit RGBA, rows top first.
struct RgbaSquare {
  int size = 0;
  std::vector<std::uint8_t> rgba;
};

// The extension's icon of SIZE pixels: the banner behind Base's caption, its gradient, hatching
// and rule squeezed into a square, each icon pixel the average of the banner pixels it covers,
// so that the icon reads as the banner at every size the browsers ask for.
RgbaSquare extensionIcon(int size);

}  // namespace hv::banner
