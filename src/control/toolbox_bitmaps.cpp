#include <stdexcept>

#include "control/resources.h"

namespace hv {
namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 15;

// The standard 16-colour palette, as blue, green, red, reserved.
constexpr std::uint8_t kPalette[16][4] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};

// Artwork, top row first, one hexadecimal palette index per pixel.
constexpr const char* kDownloaderArt[kHeight] = {
    "7777777777777777", "7777700000777777", "77777099C0777777", "77777099C0777777",
    "77777099C0777777", "77777099C0777777", "7770009990007777", "7777099999077777",
    "7777709990777777", "7777770907777777", "7777777077777777", "7700000000000777",
    "770FFFFFFFFF0777", "7700000000000777", "7777777777777777"};

constexpr const char* kBaseArt[kHeight] = {
    "7777777777777777", "7000000000000077", "70FFFFFFFFFFF077", "70F444444444F077",
    "70F4EEEEEEE4F077", "70F444444444F077", "70FFFFFFFFFFF077", "70F000000000F077",
    "70F0AAAAA880F077", "70F000000000F077", "70FFFFFFFFFFF077", "7000000000000077",
    "7777700000777777", "7770000000007777", "7777777777777777"};

void put16(std::vector<std::uint8_t>& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  put16(b, static_cast<std::uint16_t>(v));
  put16(b, static_cast<std::uint16_t>(v >> 16));
}

std::uint8_t nibble(char c) {
  return static_cast<std::uint8_t>(c <= '9' ? c - '0' : c - 'A' + 10);
}

std::vector<std::uint8_t> dib(const char* const (&art)[kHeight]) {
  constexpr std::uint32_t kRowBytes = kWidth / 2;  // already a multiple of 4
  std::vector<std::uint8_t> b;
  put32(b, 40);  // BITMAPINFOHEADER
  put32(b, kWidth);
  put32(b, kHeight);
  put16(b, 1);  // planes
  put16(b, 4);  // bits per pixel
  put32(b, 0);  // BI_RGB
  put32(b, kRowBytes * kHeight);
  put32(b, 0);
  put32(b, 0);
  put32(b, 16);  // colours used
  put32(b, 0);
  for (const auto& colour : kPalette)
    b.insert(b.end(), colour, colour + 4);
  for (int row = kHeight - 1; row >= 0; --row) {
    for (int x = 0; x < kWidth; x += 2) {
      b.push_back(static_cast<std::uint8_t>(nibble(art[row][x]) << 4 | nibble(art[row][x + 1])));
    }
  }
  return b;
}

}  // namespace

std::vector<std::uint8_t> toolboxBitmap(int id) {
  if (id == kInetDownloaderBitmap)
    return dib(kDownloaderArt);
  if (id == kBaseBitmap)
    return dib(kBaseArt);
  throw std::out_of_range("no toolbox bitmap " + std::to_string(id));
}

}  // namespace hv
