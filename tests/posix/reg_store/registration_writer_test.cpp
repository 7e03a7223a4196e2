#include "posix/reg_store/registration_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "control/library_classes.h"
#include "control/registration.h"
#include "detect/registry_routines.h"
#include "platform/registry_port.h"
#include "posix/reg_store/posix_registry.h"
#include "posix/reg_store/reg_file_format.h"
#include "posix/reg_store/reg_file_text.h"
#include "runtime/text_encoding.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

const auto kEntries = registrationEntries(u"/opt/hvdetector/CorvantisHalverineDetector.ocx", true);

// Someone else's data, some of it in keys the registration writes too.
const std::string kOthers =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{00000000-1111-2222-3333-444444444444}]\r\n"
    "@=\"Another.Class\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Classes\\HVDetector.Base]\r\n"
    "\"Note\"=\"kept\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Corvantis\\Corvantis Participant Halverine]\r\n"
    "\"Install_Dir\"=\"C:\\\\Halverine\"\r\n";

Text clsidOf(RegistryPort& registry, TextView progId) {
  return RegReadString(registry, kHkeyClassesRoot, Text(progId) + u"\\Clsid", u"", u"");
}

TEST(RegistrationWriter, RegisterMakesTheProgIdsResolveAndUnregisterRestoresTheFolder) {
  TempDir dir;
  writeFile(dir / "others.reg", kOthers);
  RegistryStore store(dir.path());
  PosixRegistry registry(store);
  RegistrationWriter writer(store);

  writer.registerEntries(kEntries);
  EXPECT_EQ(clsidOf(registry, u"HVDetector.InetDownloader"), inetDownloaderClass().clsid.toText());
  EXPECT_EQ(clsidOf(registry, u"HVDetector.Base"), baseClass().clsid.toText());
  EXPECT_EQ(RegReadString(registry, kHkeyClassesRoot, u"HVDetector.Base", u"Note", u""), u"kept");
  const std::string once = readFile(writer.targetFile());
  writer.registerEntries(kEntries);
  EXPECT_EQ(readFile(writer.targetFile()), once) << "registering twice leaves one copy";

  writer.unregisterEntries(kEntries);
  EXPECT_EQ(clsidOf(registry, u"HVDetector.Base"), u"");
  EXPECT_FALSE(std::filesystem::exists(writer.targetFile()));
  EXPECT_EQ(readFile(dir / "others.reg"), kOthers);
  std::vector<std::filesystem::path> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    left.push_back(entry.path());
  EXPECT_EQ(left, std::vector<std::filesystem::path>{dir / "others.reg"}) << "no temporary left";
}

TEST(RegistrationWriter, ASingleFileStoreComesBackWithTheSameContent) {
  TempDir dir;
  writeFile(dir / "store.reg", kOthers);
  RegistryStore store(dir / "store.reg");
  const RegistryTree before = *store.snapshot();
  RegistrationWriter writer(store);

  writer.registerEntries(kEntries);
  EXPECT_NE(*store.snapshot(), before);
  writer.unregisterEntries(kEntries);
  EXPECT_EQ(*store.snapshot(), before);
  EXPECT_FALSE(store.problem());
}

TEST(RegistrationWriter, UnregisterKeepsAValueSomeoneElseAddedToARegisteredKey) {
  TempDir dir;
  RegistryStore store(dir.path());
  PosixRegistry registry(store);
  RegistrationWriter writer(store);
  writer.registerEntries(kEntries);
  writeFile(dir / "zz-later.reg",
            "REGEDIT4\n[HKEY_CLASSES_ROOT\\HVDetector.InetDownloader\\Clsid]\n\"Extra\"=\"x\"\n");
  writer.unregisterEntries(kEntries);
  EXPECT_EQ(clsidOf(registry, u"HVDetector.InetDownloader"), u"");
  EXPECT_EQ(
      RegReadString(registry, kHkeyClassesRoot, u"HVDetector.InetDownloader\\Clsid", u"Extra", u""),
      u"x");
}

TEST(RegistrationWriter, AMalformedStoreIsLeftAloneAndTheFaultNamed) {
  TempDir dir;
  const std::string broken = "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"unterminated\n";
  writeFile(dir / "store.reg", broken);
  RegistryStore store(dir / "store.reg");
  RegistrationWriter writer(store);
  try {
    writer.registerEntries(kEntries);
    FAIL() << "wrote over a malformed store";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("store.reg:3"), std::string::npos) << e.what();
  }
  EXPECT_EQ(readFile(dir / "store.reg"), broken);
}

TEST(RegistrationWriter, ANewStoreIsCreatedWhereItIsNamed) {
  TempDir dir;
  RegistryStore folder(dir / "config" / "registry");
  RegistrationWriter(folder).registerEntries(kEntries);
  EXPECT_TRUE(std::filesystem::exists(dir / "config" / "registry" / "hvdetector-registration.reg"));

  RegistryStore file(dir / "elsewhere" / "store.reg");
  RegistrationWriter(file).registerEntries(kEntries);
  PosixRegistry registry(file);
  EXPECT_EQ(clsidOf(registry, u"HVDetector.Base"), baseClass().clsid.toText());
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<RegistrationKey> oneKey(const std::string& name) {
  return {{kHkeyCurrentUser, u"Software\\Writers\\" + fromUtf8(name), {{u"", u"x"}}}};
}

// Each writer's read-modify-write must be whole: without the lock, writers that read the same
// store lose each other's keys.
TEST(RegistrationWriter, ConcurrentWritersOfASingleFileStoreLoseNothing) {
  TempDir dir;
  writeFile(dir / "store.reg", kOthers);
  constexpr int kWriters = 2;
  constexpr int kEach = 50;
  std::vector<std::thread> writers;
  std::atomic<int> failures{0};
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      RegistryStore store(dir / "store.reg");
      RegistrationWriter writer(store);
      for (int i = 0; i < kEach; ++i) {
        try {
          writer.registerEntries(oneKey(std::to_string(w) + "-" + std::to_string(i)));
        } catch (const std::exception&) {
          ++failures;
        }
      }
    });
  }
  for (auto& t : writers)
    t.join();
  EXPECT_EQ(failures, 0);
  RegistryStore store(dir / "store.reg");
  PosixRegistry registry(store);
  int present = 0;
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kEach; ++i) {
      const Text key =
          u"Software\\Writers\\" + fromUtf8(std::to_string(w) + "-" + std::to_string(i));
      present += RegReadString(registry, kHkeyCurrentUser, key, u"", u"") == u"x";
    }
  }
  EXPECT_EQ(present, kWriters * kEach);
  EXPECT_EQ(filesIn(dir.path()),
            (std::vector<std::filesystem::path>{"store.reg", "store.reg.hvdetector-registration"}))
      << "no lock or temporary file left";
}

TEST(RegistrationWriter, ALinkedStoreIsWrittenThroughToItsTargetWithItsPermissions) {
  TempDir dir;
  std::filesystem::create_directory(dir / "real");
  const auto target = dir / "real" / "store.reg";
  writeFile(target, kOthers);
  std::filesystem::permissions(target, std::filesystem::perms(0664));
  std::filesystem::create_symlink("real/store.reg", dir / "link.reg");
  RegistryStore store(dir / "link.reg");
  const RegistryTree before = *store.snapshot();
  RegistrationWriter writer(store);

  writer.registerEntries(kEntries);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.reg"));
  EXPECT_EQ(std::filesystem::read_symlink(dir / "link.reg"), "real/store.reg");
  EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0664));
  PosixRegistry registry(store);
  EXPECT_EQ(clsidOf(registry, u"HVDetector.Base"), baseClass().clsid.toText());

  writer.unregisterEntries(kEntries);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.reg"));
  EXPECT_EQ(*store.snapshot(), before);
  EXPECT_EQ(filesIn(dir / "real"), std::vector<std::filesystem::path>{"store.reg"});
}

TEST(RegistrationWriter, ANewStoreFileGetsThePermissionsTheUmaskGives) {
  TempDir dir;
  const mode_t mask = ::umask(027);
  RegistryStore store(dir / "new.reg");
  RegistrationWriter(store).registerEntries(kEntries);
  ::umask(mask);
  EXPECT_EQ(std::filesystem::status(dir / "new.reg").permissions(), std::filesystem::perms(0640));
}

// A user's own value where the registration writes: register takes it over, unregister puts it
// back, and a value changed after registering is the user's and stays.
TEST(RegistrationWriter, UnregisterPutsBackWhatRegisterOverwroteInASingleFileStore) {
  TempDir dir;
  const std::string users = kOthers +
                            "[HKEY_LOCAL_MACHINE\\Software\\Classes\\HVDetector.Base\\Clsid]\r\n"
                            "@=\"{users-own}\"\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Classes\\HVDetector.InetDownloader]\r\n"
                            "@=\"HVDetector.InetDownloader\"\r\n";
  writeFile(dir / "store.reg", users);
  RegistryStore store(dir / "store.reg");
  PosixRegistry registry(store);
  const RegistryTree before = *store.snapshot();
  RegistrationWriter writer(store);

  std::filesystem::permissions(dir / "store.reg", std::filesystem::perms(0640));
  writer.registerEntries(kEntries);
  EXPECT_EQ(std::filesystem::status(dir / "store.reg.hvdetector-registration").permissions(),
            std::filesystem::perms(0640))
      << "the kept values are as private as the store";
  writer.registerEntries(kEntries);  // the record must not take the registration's own values
  EXPECT_EQ(clsidOf(registry, u"HVDetector.Base"), baseClass().clsid.toText());
  writer.unregisterEntries(kEntries);
  EXPECT_EQ(*store.snapshot(), before) << "the user's values are back, the identical one too";
  EXPECT_FALSE(std::filesystem::exists(dir / "store.reg.hvdetector-registration"));

  writer.registerEntries(kEntries);
  RegistryTree tree = *store.snapshot();
  tree.findKey(kHkeyLocalMachine, u"Software\\Classes\\HVDetector.Base\\Clsid")->values[u""] =
      RegistryValue{u"", kRegSz, {'{', 0, 'e', 0, '}', 0, 0, 0}};
  writeFile(dir / "store.reg", encodeRegFileText(formatRegFile(tree)));
  writer.unregisterEntries(kEntries);
  EXPECT_EQ(clsidOf(registry, u"HVDetector.Base"), u"{e}");
  EXPECT_EQ(clsidOf(registry, u"HVDetector.InetDownloader"), u"");
}

TEST(RegistrationWriter, WithoutARecordUnregisterTakesOnlyValuesThatAreStillAsRegistered) {
  TempDir dir;
  writeFile(dir / "store.reg", kOthers);
  RegistryStore store(dir / "store.reg");
  RegistrationWriter writer(store);
  writer.registerEntries(kEntries);
  std::filesystem::remove(dir / "store.reg.hvdetector-registration");
  const auto elsewhere = registrationEntries(u"/elsewhere/CorvantisHalverineDetector.ocx", true);
  writer.unregisterEntries(elsewhere);
  PosixRegistry registry(store);
  EXPECT_EQ(RegReadString(registry, kHkeyClassesRoot,
                          u"CLSID\\" + baseClass().clsid.toText() + u"\\InprocServer32", u"", u""),
            u"/opt/hvdetector/CorvantisHalverineDetector.ocx")
      << "a path this registration did not write stays";
  EXPECT_EQ(clsidOf(registry, u"HVDetector.Base"), u"");
}

}  // namespace
}  // namespace hv
