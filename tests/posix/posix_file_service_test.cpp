#include "posix/posix_file_service.h"

#include <gtest/gtest.h>

#include "runtime/script_error.h"
#include "runtime/text_encoding.h"
#include "support/errors.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using testing::readFile;
using testing::TempDir;

std::span<const std::uint8_t> bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::int32_t errorOf(const std::function<void()>& step) {
  return testing::errorNumberOf(step);
}

class PosixFileServiceTest : public ::testing::Test {
 protected:
  Text path(const std::string& name) { return fromUtf8(dir.slashed() + name); }
  TempDir dir;
  PosixFileService files;
};

TEST_F(PosixFileServiceTest, NumbersAreTheLowestFreeOneUpTo255) {
  EXPECT_EQ(files.freeFileNumber(), 1);
  for (std::int16_t n = 1; n <= 255; ++n)
    files.open(n, path("f" + std::to_string(n)), FileOpenMode::CreateNew);
  EXPECT_EQ(errorOf([&] { files.freeFileNumber(); }), 67);
  files.close(7);
  EXPECT_EQ(files.freeFileNumber(), 7);
}

TEST_F(PosixFileServiceTest, ModesDecideWhatHappensToAnExistingFile) {
  files.open(1, path("a"), FileOpenMode::TextOutput);
  files.write(1, bytes("0123456789"));
  files.close(1);

  files.open(1, path("a"), FileOpenMode::BinaryWrite);
  files.seek(1, 3);
  files.write(1, bytes("xy"));
  files.close(1);
  EXPECT_EQ(readFile(dir / "a"), "01xy456789") << "binary write keeps the rest";

  EXPECT_EQ(errorOf([&] { files.open(1, path("a"), FileOpenMode::CreateNew); }), 58);
  files.open(1, path("a"), FileOpenMode::TextOutput);
  files.close(1);
  EXPECT_EQ(readFile(dir / "a"), "") << "text output empties";
}

TEST_F(PosixFileServiceTest, LargeWritesArriveWholeAndInOrder) {
  std::string expected;
  files.open(1, path("big"), FileOpenMode::CreateNew);
  for (int i = 0; i < 100; ++i) {
    const std::string piece(4096 + i, static_cast<char>('a' + i % 26));
    files.write(1, bytes(piece));
    expected += piece;
  }
  const std::string huge(200000, 'z');
  files.write(1, bytes(huge));
  expected += huge;
  files.close(1);
  EXPECT_EQ(readFile(dir / "big"), expected);
}

TEST_F(PosixFileServiceTest, FailuresAreTheRuntimeFileErrors) {
  files.open(2, path("open"), FileOpenMode::CreateNew);
  struct Case {
    const char* what;
    std::function<void()> step;
    std::int32_t error;
  };
  const Case cases[] = {
      {"missing folder", [&] { files.open(1, path("no/such"), FileOpenMode::CreateNew); }, 76},
      {"a folder as the file",
       [&] { files.open(1, fromUtf8(dir.slashed()), FileOpenMode::BinaryWrite); }, 75},
      {"number 0", [&] { files.open(0, path("x"), FileOpenMode::CreateNew); }, 52},
      {"number 256", [&] { files.open(256, path("x"), FileOpenMode::CreateNew); }, 52},
      {"number in use", [&] { files.open(2, path("y"), FileOpenMode::CreateNew); }, 55},
      {"empty name", [&] { files.open(1, u"", FileOpenMode::CreateNew); }, 52},
      {"write unopened", [&] { files.write(3, bytes("x")); }, 52},
      {"seek unopened", [&] { files.seek(3, 1); }, 52},
  };
  for (const auto& c : cases)
    EXPECT_EQ(errorOf(c.step), c.error) << c.what;
  EXPECT_EQ(errorOf([&] { files.close(3); }), 0) << "closing an unopened number does nothing";
}

TEST_F(PosixFileServiceTest, FullDiskSurfacesByCloseAndStillReleasesTheNumber) {
  files.open(1, u"/dev/full", FileOpenMode::BinaryWrite);
  files.write(1, bytes("abc"));
  EXPECT_EQ(errorOf([&] { files.close(1); }), 61);
  EXPECT_EQ(files.freeFileNumber(), 1);
}

}  // namespace
}  // namespace hv
