#include "tools/resource_script.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "control/resources.h"

namespace hv {
namespace {

TEST(ResourceScript, NamesEveryResourceTheModuleCarries) {
  const std::string script = resourceScript("HVDetector.tlb");
  for (const std::string line : {
           "1 TYPELIB \"HVDetector.tlb\"",
           "FILEVERSION 1,4,0,8",
           "PRODUCTVERSION 1,4,0,8",
           "FILEOS 0x4",
           "FILETYPE 0x2",
           "BLOCK \"040904B0\"",
           "VALUE \"FileVersion\", \"1.04.0008\"",
           "VALUE \"OriginalFilename\", \"CorvantisHalverineDetector.ocx\"",
           "VALUE \"OLESelfRegister\", \"\"",
           "VALUE \"Translation\", 0x409, 0x4B0",
           "30000 BITMAP \"toolbox_30000.bmp\"",
           "30001 BITMAP \"toolbox_30001.bmp\"",
           "_IID_BASE CUSTOM \"identifiers_IID_BASE.bin\"",
           "_SRCIID_BASE CUSTOM \"identifiers_SRCIID_BASE.bin\"",
           "_IID_INETDOWNLOADER CUSTOM \"identifiers_IID_INETDOWNLOADER.bin\"",
           "_SRCIID_INETDOWNLOADER CUSTOM \"identifiers_SRCIID_INETDOWNLOADER.bin\"",
       }) {
    EXPECT_NE(script.find(line), std::string::npos) << "missing: " << line;
  }
}

// The resource compiler takes a bitmap file and stores what follows its file header, so the
// header must say exactly where the pixels begin.
TEST(ResourceScript, BitmapFilesWrapTheResourceBytesInAFileHeader) {
  const auto files = resourceFiles();
  for (int id : {kInetDownloaderBitmap, kBaseBitmap}) {
    const std::string name = "toolbox_" + std::to_string(id) + ".bmp";
    const auto file = std::find_if(files.begin(), files.end(),
                                   [&](const ResourceFile& f) { return f.name == name; });
    ASSERT_NE(file, files.end()) << name;
    const auto dib = toolboxBitmap(id);
    const auto& b = file->bytes;
    ASSERT_EQ(b.size(), 14 + dib.size());
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(b[2] | b[3] << 8, static_cast<int>(b.size()));
    EXPECT_EQ(b[10], 14 + 40 + 64);  // file header, info header, 16-colour table
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), b.begin() + 14)) << name;
  }
}

TEST(ResourceScript, IdentifierListFilesHoldTheListsBytes) {
  const auto files = resourceFiles();
  for (const auto& list : identifierListResources()) {
    const std::string name = "identifiers" + std::string(list.name) + ".bin";
    const auto file = std::find_if(files.begin(), files.end(),
                                   [&](const ResourceFile& f) { return f.name == name; });
    ASSERT_NE(file, files.end()) << name;
    EXPECT_EQ(file->bytes, list.bytes) << name;
  }
}

}  // namespace
}  // namespace hv
