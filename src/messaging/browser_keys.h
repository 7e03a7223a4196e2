#pragma once

#include <string>
#include <string_view>

namespace hv {

enum class ManifestKind { Chromium, Firefox };

// A Windows browser's key for our host, under the user's or the machine's root: its default
// value names the manifest of its kind.
struct BrowserKey {
  std::string_view browser;
  std::string_view parent;  // the browser's NativeMessagingHosts key; the host's name goes below
  ManifestKind manifest;
};

inline constexpr BrowserKey kBrowserKeys[] = {
    {"Google Chrome", "Software\\Google\\Chrome\\NativeMessagingHosts", ManifestKind::Chromium},
    {"Microsoft Edge", "Software\\Microsoft\\Edge\\NativeMessagingHosts", ManifestKind::Chromium},
    {"Firefox", "Software\\Mozilla\\NativeMessagingHosts", ManifestKind::Firefox},
};

// The host's key below the browser's, relative to the root.
std::string hostKey(const BrowserKey& browser);
// The name a Windows manifest of this kind is written under, the same per user and per machine.
std::string manifestFileName(ManifestKind kind);
// The manifest of this kind naming the host at `host`.
std::string manifestText(ManifestKind kind, std::string_view host);

}  // namespace hv
