#pragma once

#include <string_view>

namespace hv {

// How browsers know the bridge: the name its host manifests register, and the two extensions
// that may call it (Chromium's id is fixed by the public key in the extension's manifest).
inline constexpr std::string_view kNativeHostName = "com.corvantis.hvdetector";
inline constexpr std::string_view kChromiumExtensionId = "egafbdheimjkckgieoggiofnmblcbfdm";
inline constexpr std::string_view kFirefoxAddonId = "hvdetector@corvantis.example";

}  // namespace hv
