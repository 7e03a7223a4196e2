#include "tools/banner/png_encoder.h"

#include <zlib.h>

#include <stdexcept>
#include <string_view>

namespace hv::banner {
namespace {

void putBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A chunk is its length, its type, its data and the CRC of type and data.
void putChunk(std::vector<std::uint8_t>& out, std::string_view type,
              const std::vector<std::uint8_t>& data) {
  putBigEndian32(out, static_cast<std::uint32_t>(data.size()));
  const auto typeAt = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  const auto crc = crc32(0, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
  putBigEndian32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::vector<std::uint8_t> encodePng(const RgbaSquare& image) {
  const std::size_t row = static_cast<std::size_t>(image.size) * 4;
  // Each row starts with its filter type; 0 (none) keeps the encoder plain.
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < image.size; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), image.rgba.begin() + y * row, image.rgba.begin() + (y + 1) * row);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("zlib could not compress the picture");
  packed.resize(packedSize);

  std::vector<std::uint8_t> header;
  putBigEndian32(header, static_cast<std::uint32_t>(image.size));
  putBigEndian32(header, static_cast<std::uint32_t>(image.size));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive, no interlace

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", packed);
  putChunk(png, "IEND", {});
  return png;
}

}  // namespace hv::banner
