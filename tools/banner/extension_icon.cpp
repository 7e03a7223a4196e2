#include "tools/banner/extension_icon.h"

#include <algorithm>
#include <array>

#include "tools/banner/banner_artwork.h"

namespace hv::banner {
namespace {

// Straight RGBA of one banner pixel: the transparent index lets the page show through.
std::array<double, 4> rgbaAt(const IndexedImage& banner, int x, int y) {
  const auto index = banner.pixels[static_cast<std::size_t>(y) * banner.width + x];
  if (index == banner.transparentIndex)
    return {0, 0, 0, 0};
  const Rgb c = banner.palette[index];
  return {double(c.r), double(c.g), double(c.b), 255};
}

}  // namespace

RgbaSquare extensionIcon(int size) {
  const IndexedImage banner = bannerArtwork();
  RgbaSquare icon{size, std::vector<std::uint8_t>(static_cast<std::size_t>(size) * size * 4)};
  for (int iy = 0; iy < size; ++iy) {
    for (int ix = 0; ix < size; ++ix) {
      // The banner pixels this icon pixel covers, at least one in each direction.
      const int x0 = ix * banner.width / size;
      const int x1 = std::max(x0 + 1, (ix + 1) * banner.width / size);
      const int y0 = iy * banner.height / size;
      const int y1 = std::max(y0 + 1, (iy + 1) * banner.height / size);
      // Colours weighted by their opacity, so that cut corners do not darken their edges.
      std::array<double, 4> sum{};
      for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
          const auto p = rgbaAt(banner, x, y);
          for (int c = 0; c < 3; ++c)
            sum[c] += p[c] * p[3] / 255;
          sum[3] += p[3];
        }
      }
      const double count = double(x1 - x0) * (y1 - y0);
      auto* out = &icon.rgba[(static_cast<std::size_t>(iy) * size + ix) * 4];
      for (int c = 0; c < 3; ++c)
        out[c] = sum[3] > 0 ? static_cast<std::uint8_t>(sum[c] * 255 / sum[3] + 0.5) : 0;
      out[3] = static_cast<std::uint8_t>(sum[3] / count + 0.5);
    }
  }
  return icon;
}

}  // namespace hv::banner
