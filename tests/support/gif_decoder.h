#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hv::testing {

// What a strict reader sees in a single-frame GIF89a with a global palette.
struct DecodedGif {
  int width = 0;
  int height = 0;
  int paletteSize = 0;
  std::vector<std::uint8_t> palette;  // red, green, blue per entry
  std::optional<int> transparentIndex;
  std::vector<std::uint8_t> indices;  // rows top first
};

// Decodes it with giflib, so that what our encoder writes is checked by a reader that is not
// ours; throws std::runtime_error saying what is wrong (bad signature, missing palette, more
// than one frame, data the library cannot read, bytes after the trailer).
DecodedGif decodeGif(std::span<const std::uint8_t> bytes);

}  // namespace hv::testing
