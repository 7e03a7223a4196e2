// Written by tools/write_banner_picture; do not edit.
#include "control/banner_picture.h"

namespace hv {
namespace {
constexpr std::uint8_t kBanner[] = {'l', 't', 0, 0, 0, 0, 0, 0};
}  // namespace

std::span<const std::uint8_t> bannerPicture() {
  return kBanner;
}

}  // namespace hv
