#include "tools/deployment_files.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <string>

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
