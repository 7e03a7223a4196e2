#include "platform/posix/registration_writer.h"

#include <gtest/gtest.h>

#include "control/library_classes.h"
#include "detect/registry_routines.h"
#include "platform/posix/store_registry.h"
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
  StoreRegistry registry(store);
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
  StoreRegistry registry(store);
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
  StoreRegistry registry(file);
  EXPECT_EQ(clsidOf(registry, u"HVDetector.Base"), baseClass().clsid.toText());
}

}  // namespace
}  // namespace hv
