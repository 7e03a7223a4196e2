// What a registry holding the same keys answers, over the fake and the registry kept in .reg
// files: the classes root merged from the user's and the machine's classes, parents of stored
// keys, trailing separators and names compared as the registry compares them.
#include <gtest/gtest.h>

#include <memory>

#include "detect/registry_routines.h"
#include "fakes/fake_registry.h"
#include "posix/reg_store/posix_registry.h"
#include "runtime/text_encoding.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

struct StoredString {
  const char* root;  // as a .reg file names it
  std::uint32_t rootKey;
  const char* path;
  const char* name;  // empty: the key's default value
  const char* value;
};

const StoredString kStored[] = {
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine, "Software\\Classes\\Machine.Only", "", "machine"},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine, "Software\\Classes\\Both", "", "machine"},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine, "Software\\Classes\\Both", "MachineValue", "m"},
    {"HKEY_CURRENT_USER", kHkeyCurrentUser, "Software\\Classes\\Both", "", "user"},
    {"HKEY_CLASSES_ROOT", kHkeyClassesRoot, "Direct", "", "direct"},
    {"HKEY_CURRENT_USER", kHkeyCurrentUser, "Software\\A\\B\\C", "v", "x"},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine,
     "Software\\Caf\xc3\xa9\\\xc3\x91"
     "ame",
     "\xc3\x9cn\xc3\xafqu\xc3\xa9", "\xc3\xbc"},
};

struct Query {
  std::uint32_t root;
  TextView path;
  TextView name;
  TextView expected;  // "dflt" when the key is there and the value is not; "" without the key
};

const Query kQueries[] = {
    {kHkeyClassesRoot, u"Machine.Only", u"", u"machine"},
    {kHkeyClassesRoot, u"both", u"", u"user"},
    // The user's key hides the machine's one whole, values included.
    {kHkeyClassesRoot, u"Both", u"MachineValue", u"dflt"},
    {kHkeyClassesRoot, u"Direct", u"", u"direct"},
    {kHkeyLocalMachine, u"Software\\Classes\\Direct", u"", u"direct"},
    {kHkeyClassesRoot, u"Missing", u"", u""},
    {kHkeyCurrentUser, u"Software\\A", u"v", u"dflt"},
    {kHkeyCurrentUser, u"Software\\A\\B\\C\\", u"v", u"x"},
    {kHkeyCurrentUser, u"Software\\A\\B\\C\\D", u"v", u""},
    {kHkeyCurrentUser, u"Software\\AB", u"v", u""},
    {kHkeyLocalMachine, u"Software\\A", u"v", u""},
    {kHkeyLocalMachine, u"SOFTWARE\\CAF\u00c9\\\u00f1AME", u"\u00fcN\u00cfQU\u00c9", u"\u00fc"},
    {kHkeyLocalMachine, u"software\\caf\u00e9\\\u00d1ame", u"\u00dcn\u00efqu\u00e9", u"\u00fc"},
};

// A registry holding kStored, whichever implementation it is.
class StoredRegistry {
 public:
  virtual ~StoredRegistry() = default;
  virtual RegistryPort& port() = 0;
};

class FakeStored : public StoredRegistry {
 public:
  FakeStored() {
    for (const auto& s : kStored)
      fake_.setString(s.rootKey, s.path, s.name, s.value);
  }
  RegistryPort& port() override { return fake_; }

 private:
  testing::FakeRegistry fake_;
};

class RegFileStored : public StoredRegistry {
 public:
  RegFileStored() {
    std::string text = "Windows Registry Editor Version 5.00\r\n";
    for (const auto& s : kStored) {
      const std::string name = *s.name ? "\"" + std::string(s.name) + "\"" : "@";
      text += "\r\n[" + std::string(s.root) + "\\" + s.path + "]\r\n" + name + "=\"" + s.value +
              "\"\r\n";
    }
    testing::writeFile(dir_ / "stored.reg", text);
  }
  RegistryPort& port() override { return registry_; }

 private:
  testing::TempDir dir_;
  RegistryStore store_{dir_.path()};
  PosixRegistry registry_{store_};
};

using Make = std::unique_ptr<StoredRegistry> (*)();

class RegistryContract : public ::testing::TestWithParam<Make> {};

TEST_P(RegistryContract, AnswersAsTheRegistryDoes) {
  const auto stored = GetParam()();
  for (const auto& q : kQueries) {
    EXPECT_EQ(toUtf8(RegReadString(stored->port(), q.root, q.path, q.name, u"dflt")),
              toUtf8(q.expected))
        << toUtf8(q.path) << " " << toUtf8(q.name);
  }
  RegistryPort::Handle key = 0;
  EXPECT_EQ(stored->port().openKey(0x80000003, "Software", key), kRegistryInvalidHandle);
  ASSERT_EQ(stored->port().openKey(kHkeyCurrentUser, "Software\\A\\B\\C", key), kRegistrySuccess);
  EXPECT_EQ(stored->port().closeKey(key), kRegistrySuccess);
  EXPECT_EQ(stored->port().closeKey(key), kRegistryInvalidHandle);
}

INSTANTIATE_TEST_SUITE_P(
    FakeAndStore, RegistryContract,
    ::testing::Values(
        +[]() -> std::unique_ptr<StoredRegistry> { return std::make_unique<FakeStored>(); },
        +[]() -> std::unique_ptr<StoredRegistry> { return std::make_unique<RegFileStored>(); }),
    [](const auto& info) { return info.index == 0 ? "Fake" : "RegFiles"; });

}  // namespace
}  // namespace hv
