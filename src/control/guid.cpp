#include "control/guid.h"

#include <cstdio>

#include "runtime/text_encoding.h"

namespace hv {

std::optional<Guid> Guid::parse(std::string_view text) {
  if (!guid_detail::wellFormed(text))
    return std::nullopt;
  return Guid::of(text);
}

std::string Guid::toString() const {
  char buffer[39];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", data1,
                data2, data3, data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6],
                data4[7]);
  return buffer;
}

Text Guid::toText() const {
  return textFromAscii(toString());
}

std::array<std::uint8_t, 16> Guid::bytes() const {
  std::array<std::uint8_t, 16> b{};
  for (int i = 0; i < 4; ++i)
    b[i] = static_cast<std::uint8_t>(data1 >> (8 * i));
  for (int i = 0; i < 2; ++i)
    b[4 + i] = static_cast<std::uint8_t>(data2 >> (8 * i));
  for (int i = 0; i < 2; ++i)
    b[6 + i] = static_cast<std::uint8_t>(data3 >> (8 * i));
  for (int i = 0; i < 8; ++i)
    b[8 + i] = data4[i];
  return b;
}

Guid Guid::fromBytes(const std::array<std::uint8_t, 16>& b) {
  Guid g;
  for (int i = 0; i < 4; ++i)
    g.data1 |= std::uint32_t{b[i]} << (8 * i);
  for (int i = 0; i < 2; ++i)
    g.data2 |= static_cast<std::uint16_t>(b[4 + i] << (8 * i));
  for (int i = 0; i < 2; ++i)
    g.data3 |= static_cast<std::uint16_t>(b[6 + i] << (8 * i));
  for (int i = 0; i < 8; ++i)
    g.data4[i] = b[8 + i];
  return g;
}

}  // namespace hv
