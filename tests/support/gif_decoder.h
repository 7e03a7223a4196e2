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

// Decodes it independently of any encoder of ours; throws std::runtime_error naming the first
// thing that is wrong (bad signature, missing palette, a code outside the table, an image
// that is short, long or unterminated).
DecodedGif decodeGif(std::span<const std::uint8_t> bytes);

}  // namespace hv::testing
