#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace hv {

// Standard base64 with padding, as data: URIs carry binary content.
std::string base64Encode(std::span<const std::uint8_t> bytes);

}  // namespace hv
