#include <gtest/gtest.h>

#include <set>

#include "control/banner_picture.h"
#include "control/control_layout.h"
#include "support/gif_decoder.h"

namespace hv {
namespace {

TEST(BannerPicture, IsAPersistedGifWhoseByteCountIsItsRealSize) {
  const auto persisted = bannerPicture();
  ASSERT_GT(persisted.size(), 8u);
  EXPECT_EQ(std::string(persisted.begin(), persisted.begin() + 4), std::string("lt\0\0", 4));
  const std::uint32_t count = persisted[4] | persisted[5] << 8 | persisted[6] << 16 |
                              static_cast<std::uint32_t>(persisted[7]) << 24;
  EXPECT_EQ(count, persisted.size() - 8);
  EXPECT_EQ(persistedPictureData(persisted).size(), count);
  EXPECT_EQ(baseLayout().child("Image1").picture.data(), persisted.data());
}

TEST(BannerPicture, Decodes354By34With128ColoursAndOneTransparentColour) {
  const auto gif = testing::decodeGif(persistedPictureData(bannerPicture()));
  EXPECT_EQ(gif.width, 354);
  EXPECT_EQ(gif.height, 34);
  EXPECT_EQ(gif.paletteSize, 128);
  ASSERT_TRUE(gif.transparentIndex.has_value());
  ASSERT_LT(*gif.transparentIndex, 128);
  ASSERT_EQ(gif.indices.size(), 354u * 34u);
  std::set<int> used(gif.indices.begin(), gif.indices.end());
  EXPECT_LT(*used.rbegin(), 128);
  EXPECT_TRUE(used.contains(*gif.transparentIndex)) << "the transparent colour is never used";
  EXPECT_GT(used.size(), 16u) << "artwork, not a flat fill";
  // The white caption lies on the banner: every opaque pixel under it must be dark enough.
  const auto& caption = baseLayout().child("lblMessage").rect;
  const auto& banner = baseLayout().child("Image1").rect;
  for (int y = (caption.top - banner.top) / 15; y < (caption.bottom() - banner.top) / 15; ++y) {
    for (int x = (caption.left - banner.left) / 15; x < (caption.right() - banner.left) / 15; ++x) {
      const int i = gif.indices[static_cast<std::size_t>(y) * 354 + x];
      ASSERT_NE(i, *gif.transparentIndex) << x << "," << y;
      const auto* rgb = &gif.palette[3 * static_cast<std::size_t>(i)];
      const double luma = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
      ASSERT_LT(luma, 128) << "white text unreadable at " << x << "," << y;
    }
  }
}

TEST(PersistedPicture, RefusesBytesNotInThePersistedForm) {
  const std::vector<std::uint8_t> good = {'l', 't', 0, 0, 2, 0, 0, 0, 'G', 'I'};
  EXPECT_EQ(persistedPictureData(good).size(), 2u);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"header cut short", {'l', 't', 0, 0, 2, 0, 0}},
      {"wrong signature", {'l', 'T', 0, 0, 2, 0, 0, 0, 'G', 'I'}},
      {"count beyond the data", {'l', 't', 0, 0, 3, 0, 0, 0, 'G', 'I'}},
      {"count short of the data", {'l', 't', 0, 0, 1, 0, 0, 0, 'G', 'I'}},
      {"count of 4 GiB", {'l', 't', 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'G', 'I'}},
  };
  for (const auto& c : cases)
    EXPECT_THROW(persistedPictureData(c.bytes), std::invalid_argument) << c.name;
}

}  // namespace
}  // namespace hv
