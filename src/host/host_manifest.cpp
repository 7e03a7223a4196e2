#include "host/host_manifest.h"

#include "control/browser_identity.h"
#include "messaging/browser_manifests.h"

namespace hv {
namespace {

const std::string kFileName = std::string(kNativeHostName) + ".json";

}  // namespace

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
