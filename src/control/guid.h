#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/text.h"

namespace hv {

// A 16-byte COM identifier (class, interface or library identifier).
struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  // Parses the registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", either case.
  static std::optional<Guid> parse(std::string_view text);
  // Parses a registry-form literal known to be valid at compile time.
  static constexpr Guid of(std::string_view text);

  // The registry form in upper case, 38 characters.
  std::string toString() const;
  Text toText() const;

  // The identifier as it lies in memory: the first three fields little-endian, then data4.
  std::array<std::uint8_t, 16> bytes() const;
  static Guid fromBytes(const std::array<std::uint8_t, 16>& bytes);

  friend bool operator==(const Guid&, const Guid&) = default;
};

namespace guid_detail {
constexpr int hexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}
constexpr bool wellFormed(std::string_view t) {
  if (t.size() != 38 || t.front() != '{' || t.back() != '}')
    return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? t[i] != '-' : hexValue(t[i]) < 0)
      return false;
  }
  return true;
}
constexpr std::uint64_t hexField(std::string_view t, std::size_t at, std::size_t digits) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < digits; ++i)
    v = v * 16 + hexValue(t[at + i]);
  return v;
}
}  // namespace guid_detail

constexpr Guid Guid::of(std::string_view t) {
  if (!guid_detail::wellFormed(t))
    throw "malformed identifier literal";
  Guid g;
  g.data1 = static_cast<std::uint32_t>(guid_detail::hexField(t, 1, 8));
  g.data2 = static_cast<std::uint16_t>(guid_detail::hexField(t, 10, 4));
  g.data3 = static_cast<std::uint16_t>(guid_detail::hexField(t, 15, 4));
  g.data4[0] = static_cast<std::uint8_t>(guid_detail::hexField(t, 20, 2));
  g.data4[1] = static_cast<std::uint8_t>(guid_detail::hexField(t, 22, 2));
  for (std::size_t i = 0; i < 6; ++i) {
    g.data4[2 + i] = static_cast<std::uint8_t>(guid_detail::hexField(t, 25 + 2 * i, 2));
  }
  return g;
}

}  // namespace hv
