#include "messaging/browser_keys.h"

#include "messaging/browser_identity.h"
#include "messaging/browser_manifests.h"

namespace hv {

std::string hostKey(const BrowserKey& browser) {
  return std::string(browser.parent) + "\\" + std::string(nativeHostName());
}

std::string manifestFileName(ManifestKind kind) {
  return std::string(nativeHostName()) +
         (kind == ManifestKind::Chromium ? ".chromium.json" : ".firefox.json");
}

std::string manifestText(ManifestKind kind, std::string_view host) {
  return kind == ManifestKind::Chromium ? chromiumManifest(host) : firefoxManifest(host);
}

}  // namespace hv
