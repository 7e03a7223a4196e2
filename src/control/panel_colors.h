#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hv {

// Neither the frame nor the bar of Base's panel stores colours of its own; these go with the
// banner, wherever the panel is drawn from its layout (the picture, a page).
inline constexpr std::string_view kFrameColor = "#4A5A6A";
inline constexpr std::string_view kBarTrough = "#ECEFF1";
inline constexpr std::string_view kBarEdge = "#9AA5AE";
inline constexpr std::string_view kBarFill = "#0F7A84";

// A colour as layouts store it (0x00BBGGRR) as pages and pictures write it: "#RRGGBB".
std::string cssColor(std::uint32_t color);

}  // namespace hv
