#include "messaging/browser_identity.h"

#include <sstream>
#include <vector>

#if !defined(HVDETECTOR_NATIVE_HOST) || !defined(HVDETECTOR_CHROMIUM_EXTENSION_IDS) || \
    !defined(HVDETECTOR_FIREFOX_ID) || !defined(HVDETECTOR_VERSION)
#error "the browsers' names for the bridge are set by the build"
#endif

namespace hv {

std::string_view nativeHostName() {
  return HVDETECTOR_NATIVE_HOST;
}

std::span<const std::string> chromiumExtensionIds() {
  // The build passes the list as one blank-separated word list: ids never hold a blank.
  static const std::vector<std::string> ids = [] {
    std::vector<std::string> words;
    std::istringstream list(HVDETECTOR_CHROMIUM_EXTENSION_IDS);
    for (std::string id; list >> id;)
      words.push_back(id);
    return words;
  }();
  return ids;
}

std::string_view firefoxAddonId() {
  return HVDETECTOR_FIREFOX_ID;
}

std::string_view bridgeVersion() {
  return HVDETECTOR_VERSION;
}

std::string chromiumExtensionOrigin(std::string_view id) {
  return "chrome-extension://" + std::string(id) + "/";
}

}  // namespace hv
