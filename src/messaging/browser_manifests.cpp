#include "messaging/browser_manifests.h"

#include <nlohmann/json.hpp>

#include "control/browser_identity.h"

namespace hv {
namespace {

nlohmann::json manifestFor(std::string_view host) {
  return {{"name", kNativeHostName},
          {"description", "HVDetector's Base for the vendor's pages"},
          {"path", host},
          {"type", "stdio"}};
}

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

}  // namespace hv
