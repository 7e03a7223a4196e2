#pragma once

#include <span>
#include <string>
#include <string_view>

namespace hv {

// How browsers know the bridge, as the vendor's build names it: the name its host manifests
// register, every Chromium extension (by id) and the Firefox add-on that may call it.
std::string_view nativeHostName();
std::span<const std::string> chromiumExtensionIds();
std::string_view firefoxAddonId();

// The version the host tells the page and people, the one every piece of the bridge carries.
std::string_view bridgeVersion();

// The origin Chromium names an extension by, "chrome-extension://ID/".
std::string chromiumExtensionOrigin(std::string_view id);

}  // namespace hv
