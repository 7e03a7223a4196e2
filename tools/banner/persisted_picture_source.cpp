#include "tools/banner/persisted_picture_source.h"

#include <cstdio>

namespace hv::banner {

std::vector<std::uint8_t> persistPicture(const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> persisted = {'l', 't', 0, 0};
  persisted.reserve(8 + data.size());
  const auto count = static_cast<std::uint32_t>(data.size());
  for (int shift = 0; shift < 32; shift += 8)
    persisted.push_back(static_cast<std::uint8_t>(count >> shift));
  for (std::uint8_t byte : data)
    persisted.push_back(byte);
  return persisted;
}

std::string bannerPictureSource(const std::vector<std::uint8_t>& persisted) {
  std::string source =
      "// Written by tools/banner (hvdetector_write_banner_picture); do not edit. To change the\n"
      "// banner, edit tools/banner/banner_artwork.cpp, then run\n"
      "//   cmake --build build --target hvdetector_write_banner_picture\n"
      "//   build/tools/hvdetector_write_banner_picture src/control/banner_picture_data.cpp\n"
      "#include \"control/banner_picture.h\"\n"
      "\n"
      "namespace hv {\n"
      "namespace {\n"
      "\n"
      "// clang-format off\n"
      "constexpr std::uint8_t kBanner[] = {\n";
  constexpr std::size_t kPerLine = 16;
  for (std::size_t i = 0; i < persisted.size(); i += kPerLine) {
    source += "   ";
    for (std::size_t j = i; j < i + kPerLine && j < persisted.size(); ++j) {
      char byte[8];
      std::snprintf(byte, sizeof byte, " 0x%02X,", persisted[j]);
      source += byte;
    }
    source += "\n";
  }
  source +=
      "};\n"
      "// clang-format on\n"
      "\n"
      "}  // namespace\n"
      "\n"
      "std::span<const std::uint8_t> bannerPicture() {\n"
      "  return kBanner;\n"
      "}\n"
      "\n"
      "}  // namespace hv\n";
  return source;
}

}  // namespace hv::banner
