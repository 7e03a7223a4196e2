#include "messaging/browser_manifests.h"

#include <nlohmann/json.hpp>

#include "messaging/browser_identity.h"

namespace hv {
namespace {

nlohmann::json manifestFor(std::string_view host) {
  return {{"name", nativeHostName()},
          {"description", "HVDetector's Base for the vendor's pages"},
          {"path", host},
          {"type", "stdio"}};
}

std::string manifestName() {
  return std::string(nativeHostName()) + ".json";
}

// A Chromium-family browser's configuration folder below the user's, where it keeps its hosts.
struct ChromiumFamily {
  const char* browser;
  const char* configFolder;
};

constexpr ChromiumFamily kChromiumFamily[] = {
    {"Chromium", "chromium"},
    {"Google Chrome", "google-chrome"},
    {"Microsoft Edge", "microsoft-edge"},
    {"Brave", "BraveSoftware/Brave-Browser"},
    {"Vivaldi", "vivaldi"},
};

}  // namespace

std::string chromiumManifest(std::string_view host) {
  auto manifest = manifestFor(host);
  auto& origins = manifest["allowed_origins"] = nlohmann::json::array();
  for (const auto& id : chromiumExtensionIds())
    origins.push_back(chromiumExtensionOrigin(id));
  return manifest.dump(2) + "\n";
}

std::string firefoxManifest(std::string_view host) {
  auto manifest = manifestFor(host);
  manifest["allowed_extensions"] = {firefoxAddonId()};
  return manifest.dump(2) + "\n";
}

std::vector<HostManifest> hostManifests(const std::filesystem::path& host,
                                        const UserFolders& folders,
                                        const std::optional<std::filesystem::path>& profile) {
  if (profile)
    return {{"Chromium", *profile, *profile / "NativeMessagingHosts" / manifestName(),
             chromiumManifest(host.string())}};
  std::vector<HostManifest> manifests;
  for (const auto& family : kChromiumFamily) {
    const auto folder = folders.config / family.configFolder;
    manifests.push_back({family.browser, folder, folder / "NativeMessagingHosts" / manifestName(),
                         chromiumManifest(host.string())});
  }
  const auto mozilla = folders.home / ".mozilla";
  manifests.push_back({"Firefox", mozilla, mozilla / "native-messaging-hosts" / manifestName(),
                       firefoxManifest(host.string())});
  return manifests;
}

}  // namespace hv
