#include "host/host_manifest.h"

#include <nlohmann/json.hpp>

#include "host/browser_names.h"

namespace hv {
namespace {

const std::string kFileName = std::string(kNativeHostName) + ".json";

nlohmann::json manifestFor(const std::filesystem::path& host) {
  return {{"name", kNativeHostName},
          {"description", "HVDetector's Base for the vendor's pages"},
          {"path", host.string()},
          {"type", "stdio"}};
}

}  // namespace

std::string chromiumManifest(const std::filesystem::path& host) {
  auto manifest = manifestFor(host);
  manifest["allowed_origins"] = {"chrome-extension://" + std::string(kChromiumExtensionId) + "/"};
  return manifest.dump(2) + "\n";
}

std::string firefoxManifest(const std::filesystem::path& host) {
  auto manifest = manifestFor(host);
  manifest["allowed_extensions"] = {kFirefoxAddonId};
  return manifest.dump(2) + "\n";
}

std::vector<HostManifest> hostManifests(const std::filesystem::path& host,
                                        const UserFolders& folders,
                                        const std::optional<std::filesystem::path>& profile) {
  if (profile)
    return {{"Chromium", *profile / "NativeMessagingHosts" / kFileName, chromiumManifest(host)}};
  return {
      {"Chromium", folders.config / "chromium/NativeMessagingHosts" / kFileName,
       chromiumManifest(host)},
      {"Google Chrome", folders.config / "google-chrome/NativeMessagingHosts" / kFileName,
       chromiumManifest(host)},
      {"Firefox", folders.home / ".mozilla/native-messaging-hosts" / kFileName,
       firefoxManifest(host)},
  };
}

}  // namespace hv
