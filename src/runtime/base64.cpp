#include "runtime/base64.h"

namespace hv {

std::string base64Encode(std::span<const std::uint8_t> bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16;
    if (n > 1)
      group |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
    if (n > 2)
      group |= bytes[i + 2];
    for (std::size_t k = 0; k < 4; ++k)
      out += k <= n ? kAlphabet[group >> (18 - 6 * k) & 0x3F] : '=';
  }
  return out;
}

}  // namespace hv
