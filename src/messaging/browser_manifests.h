#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// The native-messaging host manifest that names the host at `host` (a path in UTF-8) for our
// extension: the one Chromium, Google Chrome and Microsoft Edge read, or the one Firefox reads.
std::string chromiumManifest(std::string_view host);
std::string firefoxManifest(std::string_view host);

// A browser's native-messaging host manifest: where it goes and what it says.
struct HostManifest {
  std::string browser;
  std::filesystem::path file;
  std::string text;
};

// Where each browser looks for a user's manifests on Linux, from the user's home and
// configuration folder ($XDG_CONFIG_HOME, else ~/.config).
struct UserFolders {
  std::filesystem::path home;
  std::filesystem::path config;
};

// The manifests that name the messaging host at `host` for our extension: Chromium's, Google
// Chrome's and Firefox's in the user's folders, or only Chromium's inside the user-data folder
// `profile` when one is given (a throwaway profile).
std::vector<HostManifest> hostManifests(const std::filesystem::path& host,
                                        const UserFolders& folders,
                                        const std::optional<std::filesystem::path>& profile);

}  // namespace hv
