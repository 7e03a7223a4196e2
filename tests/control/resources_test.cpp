#include "control/resources.h"

#include <gtest/gtest.h>

#include "control/guid.h"

namespace hv {
namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

Guid guidAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::array<std::uint8_t, 16> bytes{};
  std::copy(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + 16),
            bytes.begin());
  return Guid::fromBytes(bytes);
}

TEST(Resources, IdentifierListsAreAByteCountThenTheIdentifiersEarliestFirst) {
  const std::vector<std::pair<std::string_view, std::vector<const char*>>> expected = {
      {"_IID_BASE",
       {"{980B1BB5-F017-4422-B432-8D99720B1515}", "{3D2E1BFB-007C-44DF-AE43-ED11084A918B}",
        "{1715DE97-579C-46D9-8AF9-D4A0B934CD30}"}},
      {"_SRCIID_BASE",
       {"{1FC3E967-0ACC-40EE-8196-A2A6D47EC838}", "{98ADCF13-210F-429D-B39D-30FBF67FB57C}",
        "{A28959C2-D3C3-4521-A79A-17712D8DAB48}"}},
      {"_IID_INETDOWNLOADER", {"{F0E50D80-3E60-4D75-8304-5E7117095C46}"}},
      {"_SRCIID_INETDOWNLOADER", {"{0A8B740E-A370-4D56-8674-0669E2AC0257}"}},
  };
  const auto resources = identifierListResources();
  ASSERT_EQ(resources.size(), expected.size());
  for (std::size_t r = 0; r < expected.size(); ++r) {
    const auto& [name, ids] = expected[r];
    const auto& bytes = resources[r].bytes;
    EXPECT_EQ(resources[r].name, name);
    ASSERT_EQ(bytes.size(), 4 + 16 * ids.size()) << name;
    EXPECT_EQ(le32(bytes, 0), 16 * ids.size()) << name;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      EXPECT_EQ(guidAt(bytes, 4 + 16 * i).toString(), ids[i]) << name;
    }
  }
}

TEST(Resources, ToolboxBitmapsAre16By15FourBitWithSixteenColours) {
  for (int id : {kInetDownloaderBitmap, kBaseBitmap}) {
    const auto b = toolboxBitmap(id);
    ASSERT_EQ(b.size(), 40u + 16 * 4 + 8 * 15) << id;
    EXPECT_EQ(le32(b, 0), 40u);        // header size
    EXPECT_EQ(le32(b, 4), 16u);        // width
    EXPECT_EQ(le32(b, 8), 15u);        // height, positive: rows bottom-up
    EXPECT_EQ(b[12] | b[13] << 8, 1);  // planes
    EXPECT_EQ(b[14] | b[15] << 8, 4);  // bits per pixel
    EXPECT_EQ(le32(b, 16), 0u);        // uncompressed
    EXPECT_EQ(le32(b, 32), 16u);       // colours used
  }
  EXPECT_NE(toolboxBitmap(kInetDownloaderBitmap), toolboxBitmap(kBaseBitmap));
  EXPECT_THROW(toolboxBitmap(1), std::out_of_range);
}

TEST(Resources, VersionBlockMarksASelfRegisteringLibrary) {
  const auto& v = versionInfo();
  EXPECT_EQ(v.fileVersion, (std::array<std::uint16_t, 4>{1, 4, 0, 8}));
  EXPECT_EQ(v.language, 0x0409);
  EXPECT_EQ(v.codePage, 0x04B0);
  const std::vector<std::pair<std::string_view, std::string_view>> fields = {
      {"FileDescription", "Corvantis Halverine Detector Control for Internet Explorer"},
      {"FileVersion", "1.04.0008"},
      {"ProductVersion", "1.04.0008"},
      {"InternalName", "CorvantisHalverineDetector"},
      {"OriginalFilename", "CorvantisHalverineDetector.ocx"},
      {"OLESelfRegister", ""}};
  ASSERT_EQ(v.fields.size(), fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(v.fields[i].name, fields[i].first);
    EXPECT_EQ(v.fields[i].value, fields[i].second);
  }
}

}  // namespace
}  // namespace hv
