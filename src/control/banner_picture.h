#pragma once

#include <cstdint>
#include <span>

namespace hv {

// The banner of Base's Image1 in the persisted picture form: "lt", 0, 0, the 32-bit
// little-endian byte count of the GIF, then the GIF89a itself (354 x 34).
std::span<const std::uint8_t> bannerPicture();

// The image data inside a persisted picture. Throws std::invalid_argument when the bytes are
// not in that form or the count disagrees with what follows it.
std::span<const std::uint8_t> persistedPictureData(std::span<const std::uint8_t> persisted);

}  // namespace hv
