#include "tools/banner/gif_encoder.h"

#include <gtest/gtest.h>

#include <random>

#include "control/banner_picture.h"
#include "support/gif_decoder.h"
#include "tools/banner/banner_artwork.h"
#include "tools/banner/persisted_picture_source.h"

namespace hv::banner {
namespace {

IndexedImage imageOf(int width, int height, int colours, auto&& indexAt) {
  IndexedImage image;
  image.width = width;
  image.height = height;
  for (int c = 0; c < colours; ++c)
    image.palette.push_back({static_cast<std::uint8_t>(c), 0, static_cast<std::uint8_t>(255 - c)});
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      image.pixels.push_back(
          static_cast<std::uint8_t>(static_cast<unsigned>(indexAt(x, y)) % colours));
  }
  return image;
}

TEST(GifEncoder, WhatADecoderReadsBackIsWhatWasEncoded) {
  std::mt19937 random(7);
  const auto noise = [&](int, int) { return static_cast<int>(random()); };
  struct Case {
    const char* name;
    IndexedImage image;
  };
  // Noise fills the 4096-entry table many times over (clear codes mid-stream); one long run
  // walks the code width up to 12 bits on few codes; a single pixel ends on the first code.
  const Case cases[] = {
      {"single pixel", imageOf(1, 1, 2, [](int, int) { return 1; })},
      {"two colours, checkerboard", imageOf(17, 9, 2, [](int x, int y) { return x + y; })},
      {"four colours, noise", imageOf(64, 64, 4, noise)},
      {"128 colours, noise", imageOf(300, 200, 128, noise)},
      {"256 colours, noise", imageOf(256, 256, 256, noise)},
      {"one colour run", imageOf(1000, 300, 16, [](int, int) { return 3; })},
      {"gradient", imageOf(354, 34, 128, [](int x, int) { return x / 3; })},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto decoded = hv::testing::decodeGif(encodeGif89a(c.image));
    EXPECT_EQ(decoded.width, c.image.width);
    EXPECT_EQ(decoded.height, c.image.height);
    EXPECT_EQ(decoded.paletteSize, static_cast<int>(c.image.palette.size()));
    EXPECT_FALSE(decoded.transparentIndex.has_value());
    EXPECT_EQ(decoded.indices, c.image.pixels);
  }
}

TEST(GifEncoder, RefusesImagesAGifCannotHold) {
  const auto valid = [] { return imageOf(4, 2, 4, [](int x, int) { return x; }); };
  struct Case {
    const char* name;
    void (*spoil)(IndexedImage&);
  };
  const Case cases[] = {
      {"palette of three", [](IndexedImage& i) { i.palette.pop_back(); }},
      {"palette of one", [](IndexedImage& i) { i.palette.resize(1); }},
      {"palette of 512", [](IndexedImage& i) { i.palette.resize(512); }},
      {"index outside the palette", [](IndexedImage& i) { i.pixels[5] = 4; }},
      {"transparent index outside", [](IndexedImage& i) { i.transparentIndex = 4; }},
      {"fewer pixels than the size", [](IndexedImage& i) { i.pixels.pop_back(); }},
      {"zero width", [](IndexedImage& i) { i.width = 0, i.pixels.clear(); }},
      {"wider than 16 bits", [](IndexedImage& i) { i.width = 65536, i.height = 0; }},
  };
  for (const auto& c : cases) {
    auto image = valid();
    c.spoil(image);
    EXPECT_THROW(encodeGif89a(image), std::invalid_argument) << c.name;
  }
  EXPECT_NO_THROW(encodeGif89a(valid()));
}

TEST(BannerGenerator, TheBytesKeptInTheLibraryAreWhatTheGeneratorWrites) {
  const auto regenerated = persistPicture(encodeGif89a(bannerArtwork()));
  const auto kept = bannerPicture();
  EXPECT_TRUE(std::equal(kept.begin(), kept.end(), regenerated.begin(), regenerated.end()))
      << "rerun hvdetector_write_banner_picture src/control/banner_picture_data.cpp";
}

}  // namespace
}  // namespace hv::banner
