#include "tools/banner/banner_artwork.h"

#include <cmath>

namespace hv::banner {
namespace {

constexpr int kSteps = 63;  // gradient colours, then as many hatched ones
constexpr std::uint8_t kHatchBase = kSteps;
constexpr std::uint8_t kRule = 2 * kSteps;
constexpr std::uint8_t kTransparent = kRule + 1;
constexpr int kCornerRadius = 4;
constexpr int kHatchSpacing = 7;

constexpr Rgb kDeepBlue = {9, 28, 66};
constexpr Rgb kTeal = {10, 112, 122};
constexpr Rgb kAqua = {94, 206, 204};

std::uint8_t mix(std::uint8_t from, std::uint8_t to, double t) {
  return static_cast<std::uint8_t>(std::lround(from + (to - from) * t));
}

Rgb gradient(double t) {
  // Eased so that the blue holds longer under the start of the caption.
  const double eased = t * t * (3 - 2 * t);
  return {mix(kDeepBlue.r, kTeal.r, eased), mix(kDeepBlue.g, kTeal.g, eased),
          mix(kDeepBlue.b, kTeal.b, eased)};
}

Rgb lighter(Rgb c) {
  constexpr double kHatchLight = 0.07;
  return {mix(c.r, 255, kHatchLight), mix(c.g, 255, kHatchLight), mix(c.b, 255, kHatchLight)};
}

// Outside the quarter circles at the top corners.
bool cutCorner(int x, int y) {
  const int cx = x < kCornerRadius ? kCornerRadius : kBannerWidth - 1 - kCornerRadius;
  if (y >= kCornerRadius || (x >= kCornerRadius && x < kBannerWidth - kCornerRadius))
    return false;
  const double dx = x - cx, dy = y - kCornerRadius;
  return dx * dx + dy * dy > (kCornerRadius + 0.5) * (kCornerRadius + 0.5);
}

std::uint8_t pixel(int x, int y) {
  if (cutCorner(x, y))
    return kTransparent;
  if (y == kBannerHeight - 1)
    return kRule;
  const auto step = static_cast<std::uint8_t>(x * (kSteps - 1) / (kBannerWidth - 1));
  const bool hatched = (x + y) % kHatchSpacing == 0;
  return hatched ? kHatchBase + step : step;
}

}  // namespace

IndexedImage bannerArtwork() {
  IndexedImage image;
  image.width = kBannerWidth;
  image.height = kBannerHeight;
  for (int s = 0; s < kSteps; ++s)
    image.palette.push_back(gradient(static_cast<double>(s) / (kSteps - 1)));
  for (int s = 0; s < kSteps; ++s)
    image.palette.push_back(lighter(image.palette[s]));
  image.palette.push_back(kAqua);
  image.palette.push_back({255, 255, 255});  // shows as the white surface where unsupported
  image.transparentIndex = kTransparent;
  for (int y = 0; y < kBannerHeight; ++y) {
    for (int x = 0; x < kBannerWidth; ++x)
      image.pixels.push_back(pixel(x, y));
  }
  return image;
}

}  // namespace hv::banner
