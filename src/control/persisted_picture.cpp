#include <stdexcept>

#include "control/banner_picture.h"

namespace hv {

std::span<const std::uint8_t> persistedPictureData(std::span<const std::uint8_t> persisted) {
  constexpr std::size_t kHeader = 8;
  if (persisted.size() < kHeader || persisted[0] != 'l' || persisted[1] != 't' ||
      persisted[2] != 0 || persisted[3] != 0) {
    throw std::invalid_argument("not a persisted picture");
  }
  const std::uint32_t count = persisted[4] | persisted[5] << 8 | persisted[6] << 16 |
                              static_cast<std::uint32_t>(persisted[7]) << 24;
  if (count != persisted.size() - kHeader)
    throw std::invalid_argument("persisted picture byte count disagrees with its data");
  return persisted.subspan(kHeader);
}

}  // namespace hv
