#include "tools/deployment_files.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <string>

#include "control/registration.h"

namespace hv {
namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

TEST(DeploymentFiles, TheInfHasTheBrowserRegisterTheModuleFromTheCabinet) {
  const std::string inf = cabinetInf();
  for (const std::string line : {
           "[version]\r\n",
           "signature=\"$CHICAGO$\"\r\n",
           "[Add.Code]\r\nCorvantisHalverineDetector.ocx=CorvantisHalverineDetector.ocx\r\n",
           "[CorvantisHalverineDetector.ocx]\r\nfile-win32-x86=thiscab\r\n",
           "clsid={60246658-5626-449F-8701-66D278AD2EB2}\r\n",
           "FileVersion=1,4,0,8\r\n",
           "RegisterServer=yes\r\n",
       })
    EXPECT_NE(inf.find(line), std::string::npos) << line;
}

// Every key and value that registering writes is one installer row, so that removal takes
// exactly them away; where the module's path or folder stood, the installed folder stands.
TEST(DeploymentFiles, TheInstallerRowsAreTheModulesOwnRegistration) {
  const std::string rows = installerRegistryInclude();
  const auto entries = registrationEntries(u"C:\\x\\CorvantisHalverineDetector.ocx", false);
  std::size_t values = 0;
  for (const auto& key : entries)
    values += key.values.empty() ? 1 : key.values.size();
  EXPECT_EQ(occurrences(rows, "<RegistryKey Root=\"HKCR\""), entries.size());
  EXPECT_EQ(occurrences(rows, "<RegistryValue "), values);
  EXPECT_EQ(occurrences(rows, "Name=\"*\""), 2u) << "the two classes' empty Control keys";
  EXPECT_EQ(occurrences(rows, "HVDETECTOR-FOLDER"), 0u);
  EXPECT_EQ(occurrences(rows, "Value=\"[INSTALLFOLDER]CorvantisHalverineDetector.ocx\""), 3u)
      << "the type library and both classes' servers";
  EXPECT_EQ(occurrences(rows, "Value=\"[INSTALLFOLDER]CorvantisHalverineDetector.ocx, 30001\""),
            1u);
  EXPECT_EQ(occurrences(rows, "Value=\"[INSTALLFOLDER]\""), 1u) << "the help folder";
  EXPECT_NE(rows.find("Key=\"TypeLib\\{350C45A9-FCCA-4A96-8572-75B686F0CC80}\\3.2\\0\\win32\""),
            std::string::npos);
}

// The machine's key of each browser names the installed manifest it reads; the manifests name the
// host beside them, so the administrator may install anywhere.
TEST(DeploymentFiles, TheInstallerRegistersTheMessagingHostWithEveryBrowser) {
  const std::string rows = installerMessagingHostInclude();
  const struct {
    const char* key;
    const char* manifest;
  } keys[] = {
      {"Software\\Google\\Chrome\\NativeMessagingHosts\\com.corvantis.hvdetector",
       "ChromiumManifest"},
      {"Software\\Microsoft\\Edge\\NativeMessagingHosts\\com.corvantis.hvdetector",
       "ChromiumManifest"},
      {"Software\\Mozilla\\NativeMessagingHosts\\com.corvantis.hvdetector", "FirefoxManifest"},
  };
  EXPECT_EQ(occurrences(rows, "<RegistryValue "), std::size(keys));
  for (const auto& key : keys)
    EXPECT_NE(rows.find(std::string("<RegistryValue Root=\"HKLM\" Key=\"") + key.key +
                        "\" Type=\"string\" Value=\"[#" + key.manifest + "]\" />"),
              std::string::npos)
        << key.key;
  EXPECT_NE(rows.find("<File Id=\"MessagingHost\" Name=\"hvdetector-messaging-host.exe\""),
            std::string::npos);

  const auto manifests = installedManifests();
  const struct {
    const char* id;
    const char* name;
    const char* callers;
  } files[] = {
      {"ChromiumManifest", "com.corvantis.hvdetector.chromium.json", "\"allowed_origins\""},
      {"FirefoxManifest", "com.corvantis.hvdetector.firefox.json", "\"allowed_extensions\""},
  };
  ASSERT_EQ(manifests.size(), std::size(files));
  for (std::size_t i = 0; i < manifests.size(); ++i) {
    EXPECT_EQ(manifests[i].name, files[i].name);
    EXPECT_NE(rows.find(std::string("<File Id=\"") + files[i].id + "\" Name=\"" + files[i].name),
              std::string::npos);
    EXPECT_NE(manifests[i].text.find("\"path\": \"hvdetector-messaging-host.exe\""),
              std::string::npos);
    EXPECT_NE(manifests[i].text.find(files[i].callers), std::string::npos);
  }
}

}  // namespace
}  // namespace hv
