#pragma once

#include <string>
#include <string_view>

namespace hv {

// The native-messaging host manifest that names the host at `host` (a path in UTF-8) for our
// extension: the one Chromium, Google Chrome and Microsoft Edge read, or the one Firefox reads.
std::string chromiumManifest(std::string_view host);
std::string firefoxManifest(std::string_view host);

}  // namespace hv
