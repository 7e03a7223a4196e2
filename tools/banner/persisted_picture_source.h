#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hv::banner {

// The picture in its persisted form: "lt", 0, 0, the 32-bit little-endian byte count, the data.
std::vector<std::uint8_t> persistPicture(const std::vector<std::uint8_t>& data);

// A C++ source file defining bannerPicture() over `persisted`.
std::string bannerPictureSource(const std::vector<std::uint8_t>& persisted);

}  // namespace hv::banner
