#pragma once

#include "tools/banner/indexed_image.h"

namespace hv::banner {

inline constexpr int kBannerWidth = 354;
inline constexpr int kBannerHeight = 34;

// The banner behind Base's caption: a deep blue to teal gradient with a faint diagonal
// hatching, an aqua rule along the bottom and rounded top corners that let the white
// surface through. 128 colours, the last one transparent.
IndexedImage bannerArtwork();

}  // namespace hv::banner
