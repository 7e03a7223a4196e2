#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// The native-messaging host manifest that names the host at `host` (a path in UTF-8) for our
// extensions: the one every Chromium-family browser reads, or the one Firefox reads.
std::string chromiumManifest(std::string_view host);
std::string firefoxManifest(std::string_view host);

// A browser's native-messaging host manifest: where it goes and what it says. The browser is
// there when its configuration folder is; a manifest for a browser that is not would only wait
// for one that may never come.
struct HostManifest {
  std::string browser;
  std::filesystem::path configFolder;
  std::filesystem::path file;
  std::string text;
};

// Where each browser looks for a user's manifests on Linux, from the user's home and
// configuration folder ($XDG_CONFIG_HOME, else ~/.config).
struct UserFolders {
  std::filesystem::path home;
  std::filesystem::path config;
};

// The manifests that name the messaging host at `host` for our extension: one for each browser
// in the user's folders, or only Chromium's inside the user-data folder `profile` when one is
// given (a throwaway profile).
std::vector<HostManifest> hostManifests(const std::filesystem::path& host,
                                        const UserFolders& folders,
                                        const std::optional<std::filesystem::path>& profile);

}  // namespace hv
