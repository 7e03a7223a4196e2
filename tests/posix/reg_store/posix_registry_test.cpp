#include "posix/reg_store/posix_registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "detect/registry_routines.h"
#include "posix/reg_store/reg_file_bytes.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using testing::TempDir;
using testing::writeFile;

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

class PosixRegistryTest : public ::testing::Test {
 protected:
  Text read(std::uint32_t root, TextView path, TextView name, TextView dflt = u"dflt") {
    return RegReadString(registry, root, path, name, dflt);
  }

  TempDir dir;
  RegistryStore store{dir.path()};
  PosixRegistry registry{store};
};

TEST_F(PosixRegistryTest, HandsOutStringsAsAnsiBytesWithTheirNulAndNumbersRaw) {
  writeFile(dir / "a.reg", kHeader +
                               "[HKEY_LOCAL_MACHINE\\Software\\V]\r\n"
                               "\"Text\"=\"caf\xc3\xa9 \xce\xa9\"\r\n"
                               "\"Number\"=dword:44434241\r\n"
                               "\"Raw\"=hex(1):61,00,62,00\r\n"
                               "\"OddBytes\"=hex(1):61,00,62\r\n");
  struct Case {
    TextView name;
    std::uint32_t type;
    std::string bytes;
  };
  const Case cases[] = {
      {u"text", kRegSz, std::string("caf\xc3\xa9 \xce\xa9\0", 9)},
      {u"Number", kRegDword, "ABCD"},
      {u"Raw", kRegSz, "ab"},
      {u"OddBytes", kRegSz, "a"},
  };
  RegistryPort::Handle key = 0;
  ASSERT_EQ(registry.openKey(kHkeyLocalMachine, "SOFTWARE\\v", key), kRegistrySuccess);
  for (const auto& c : cases) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(
        registry.queryValue(key, std::string(c.name.begin(), c.name.end()), type, nullptr, size),
        kRegistrySuccess);
    EXPECT_EQ(type, c.type);
    ASSERT_EQ(size, c.bytes.size());
    std::string data(size, 'x');
    std::uint32_t tooSmall = size - 1;
    EXPECT_EQ(registry.queryValue(key, std::string(c.name.begin(), c.name.end()), type,
                                  reinterpret_cast<std::uint8_t*>(data.data()), tooSmall),
              kRegistryMoreData);
    EXPECT_EQ(registry.queryValue(key, std::string(c.name.begin(), c.name.end()), type,
                                  reinterpret_cast<std::uint8_t*>(data.data()), size),
              kRegistrySuccess);
    EXPECT_EQ(data, c.bytes);
  }
  EXPECT_EQ(registry.closeKey(key), kRegistrySuccess);
  EXPECT_EQ(registry.closeKey(key), kRegistryInvalidHandle);
  EXPECT_EQ(registry.openHandles(), 0u);
}

TEST_F(PosixRegistryTest, FilesOfAFolderApplyInNameOrderAndChangesShowOnTheNextRead) {
  writeFile(dir / "10-base.reg",
            kHeader + "[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"base\"\r\n\"b\"=\"base\"\r\n");
  writeFile(dir / "20-over.reg",
            kHeader + "[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"over\"\r\n\"b\"=-\r\n");
  writeFile(dir / "30-ignored.txt", "not a registry file");
  EXPECT_EQ(read(kHkeyCurrentUser, u"K", u"a"), u"over");
  EXPECT_EQ(read(kHkeyCurrentUser, u"K", u"b"), u"dflt");

  const auto unchanged = store.snapshot();
  EXPECT_EQ(store.snapshot(), unchanged) << "an unchanged store is not read again";

  writeFile(dir / "20-over.reg", kHeader + "[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"changed again\"\r\n");
  EXPECT_EQ(read(kHkeyCurrentUser, u"K", u"a"), u"changed again");
  EXPECT_EQ(read(kHkeyCurrentUser, u"K", u"b"), u"base");

  std::filesystem::remove(dir / "20-over.reg");
  EXPECT_EQ(read(kHkeyCurrentUser, u"K", u"a"), u"base");
  writeFile(dir / "40-new.reg", kHeader + "[-HKEY_CURRENT_USER\\K]\r\n");
  EXPECT_EQ(read(kHkeyCurrentUser, u"K", u"a"), u"");
}

TEST_F(PosixRegistryTest, AnOpenKeyKeepsTheContentItWasOpenedOn) {
  writeFile(dir / "a.reg", kHeader + "[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"old\"\r\n");
  RegistryPort::Handle key = 0;
  ASSERT_EQ(registry.openKey(kHkeyCurrentUser, "K", key), kRegistrySuccess);
  writeFile(dir / "a.reg", kHeader + "[HKEY_CURRENT_USER\\Other]\r\n");
  EXPECT_EQ(read(kHkeyCurrentUser, u"K", u"a"), u"");
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry.queryValue(key, "a", type, nullptr, size), kRegistrySuccess);
  EXPECT_EQ(size, 4u);
  registry.closeKey(key);
}

TEST_F(PosixRegistryTest, AMalformedFileEmptiesTheWholeStoreAndIsNamed) {
  writeFile(dir / "a.reg", kHeader + "[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"fine\"\r\n");
  writeFile(dir / "b.reg", kHeader + "[HKEY_CURRENT_USER\\L]\r\n\"a\"=hex:0g\r\n");
  EXPECT_EQ(read(kHkeyCurrentUser, u"K", u"a"), u"");
  EXPECT_EQ(RegValueExists(registry, kHkeyCurrentUser, u"K", u"a"), u"False");
  ASSERT_TRUE(store.problem());
  EXPECT_EQ(store.problem()->file(), (dir / "b.reg").string());
  EXPECT_EQ(store.problem()->line(), 4u);

  writeFile(dir / "b.reg", kHeader);
  EXPECT_EQ(read(kHkeyCurrentUser, u"K", u"a"), u"fine");
  EXPECT_FALSE(store.problem());
}

struct StoreShapeCase {
  const char* name;
  // Puts something beside good.reg in the folder and returns the location of the store.
  std::function<std::filesystem::path(const TempDir&)> arrange;
  std::string problem;  // empty: the store reads, good.reg's value included
  bool missing = false;
};

void PrintTo(const StoreShapeCase& c, std::ostream* os) {
  *os << c.name;
}

std::filesystem::path makeFifo(const std::filesystem::path& path) {
  if (::mkfifo(path.c_str(), 0644) != 0)
    throw std::runtime_error("mkfifo failed");
  return path;
}

const StoreShapeCase kStoreShapes[] = {
    {"FifoInAFolder",
     [](const TempDir& d) {
       makeFifo(d / "pipe.reg");
       return d.path();
     },
     "pipe.reg: is not a regular file but a FIFO"},
    {"FifoAsTheStore", [](const TempDir& d) { return makeFifo(d / "pipe.reg"); },
     "pipe.reg: is not a regular file but a FIFO"},
    {"LinkToADevice",
     [](const TempDir& d) {
       std::filesystem::create_symlink("/dev/zero", d / "zero.reg");
       return d.path();
     },
     "zero.reg: is not a regular file but a character device"},
    {"FileOverTheCap",
     [](const TempDir& d) {
       writeFile(d / "huge.reg", "REGEDIT4\n");
       std::filesystem::resize_file(d / "huge.reg", kMaxRegFileBytes + 1);  // sparse
       return d.path();
     },
     "huge.reg: is larger than the 64 MiB"},
    {"DanglingLink",
     [](const TempDir& d) {
       std::filesystem::create_symlink(d / "gone", d / "dangling.reg");
       return d.path();
     },
     "dangling.reg: cannot be opened: No such file or directory"},
    {"MissingStore", [](const TempDir& d) { return d / "nowhere"; },
     "nowhere: the registry store does not exist", true},
    {"StoreBelowAFile", [](const TempDir& d) { return d / "good.reg" / "below"; },
     "below: the registry store cannot be listed: Not a directory"},
    {"FolderNamedLikeAFileIsNoStoreFile",
     [](const TempDir& d) {
       std::filesystem::create_directory(d / "folder.reg");
       return d.path();
     },
     ""},
    {"LinkedSingleFileStore",
     [](const TempDir& d) {
       std::filesystem::create_symlink(d / "good.reg", d / "link.reg");
       return d / "link.reg";
     },
     ""},
    {"FileJustUnderTheCap",
     [](const TempDir& d) {
       writeFile(d / "padded.reg", "REGEDIT4\n" + std::string(kMaxRegFileBytes - 9, '\n'));
       return d.path();
     },
     ""},
};

class StoreShapeTest : public ::testing::TestWithParam<StoreShapeCase> {};

// Special files must be refused without opening them for blocking reads or reading without
// bound; an old reader hangs on the FIFO rows, so the alarm ends such a run.
TEST_P(StoreShapeTest, ReadsOnlyRegularFilesAndNamesWhatItRefuses) {
  const auto& c = GetParam();
  TempDir dir;
  writeFile(dir / "good.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"1\"\n");
  RegistryStore store(c.arrange(dir));
  PosixRegistry registry(store);
  ::alarm(30);
  const Text value = RegReadString(registry, kHkeyLocalMachine, u"K", u"v", u"");
  ::alarm(0);
  EXPECT_EQ(store.missing(), c.missing);
  if (c.problem.empty()) {
    EXPECT_FALSE(store.problem()) << store.problem()->what();
    EXPECT_EQ(value, u"1");
    return;
  }
  ASSERT_TRUE(store.problem());
  EXPECT_NE(std::string(store.problem()->what()).find(c.problem), std::string::npos)
      << store.problem()->what();
  EXPECT_EQ(value, u"") << "a store with a refused file reads as empty";
}

INSTANTIATE_TEST_SUITE_P(Cases, StoreShapeTest, ::testing::ValuesIn(kStoreShapes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RegistryStore, AFolderThatCannotBeListedSaysSo) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "permission bits do not stop root from listing";
  TempDir dir;
  const auto locked = dir / "locked";
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  RegistryStore store(locked);
  store.snapshot();
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
  ASSERT_TRUE(store.problem());
  EXPECT_NE(std::string(store.problem()->what()).find("cannot be listed: Permission denied"),
            std::string::npos)
      << store.problem()->what();
}

TEST(RegistryStore, AStoreThatAppearsIsReadOnTheNextSnapshot) {
  TempDir dir;
  RegistryStore store(dir / "later");
  store.snapshot();
  EXPECT_TRUE(store.missing());
  std::filesystem::create_directory(dir / "later");
  store.snapshot();
  EXPECT_FALSE(store.missing());
  EXPECT_FALSE(store.problem());
}

TEST(RegistryStore, RootsOtherThanTheThreeDoNotOpen) {
  TempDir dir;
  writeFile(dir / "a.reg", "REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=\"1\"\n");
  RegistryStore store(dir.path());
  PosixRegistry registry(store);
  RegistryPort::Handle key = 0;
  EXPECT_NE(registry.openKey(0x80000003, "K", key), kRegistrySuccess);
  EXPECT_EQ(registry.openHandles(), 0u);
}

}  // namespace
}  // namespace hv
