#include "messaging/browser_manifests.h"

#include <nlohmann/json.hpp>

#include "messaging/browser_identity.h"

namespace hv {
namespace {

nlohmann::json manifestFor(std::string_view host) {
  return {{"name", kNativeHostName},
          {"description", "HVDetector's Base for the vendor's pages"},
          {"path", host},
          {"type", "stdio"}};
}

const std::string kFileName = std::string(kNativeHostName) + ".json";

}  // namespace

std::string chromiumManifest(std::string_view host) {
  auto manifest = manifestFor(host);
  manifest["allowed_origins"] = {"chrome-extension://" + std::string(kChromiumExtensionId) + "/"};
  return manifest.dump(2) + "\n";
}

std::string firefoxManifest(std::string_view host) {
  auto manifest = manifestFor(host);
  manifest["allowed_extensions"] = {kFirefoxAddonId};
  return manifest.dump(2) + "\n";
}

std::vector<HostManifest> hostManifests(const std::filesystem::path& host,
                                        const UserFolders& folders,
                                        const std::optional<std::filesystem::path>& profile) {
  if (profile)
    return {{"Chromium", *profile / "NativeMessagingHosts" / kFileName,
             chromiumManifest(host.string())}};
  return {
      {"Chromium", folders.config / "chromium/NativeMessagingHosts" / kFileName,
       chromiumManifest(host.string())},
      {"Google Chrome", folders.config / "google-chrome/NativeMessagingHosts" / kFileName,
       chromiumManifest(host.string())},
      {"Firefox", folders.home / ".mozilla/native-messaging-hosts" / kFileName,
       firefoxManifest(host.string())},
  };
}

}  // namespace hv
