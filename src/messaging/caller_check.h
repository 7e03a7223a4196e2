#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hv {

// Whether the browser started the host for our own extension: Chromium and Chrome pass the
// caller's origin ("chrome-extension://ID/") as the first argument, Firefox the manifest's path
// and then the add-on id. The refusal's message when not.
std::optional<std::string> callerRefusal(std::span<const std::string_view> args);

// Whether a page's origin ("https://host[:port]", as the browser reports its sender) is one of
// the vendor's pages: http or https, nothing but a host and a port, and the host inside the
// library's domain. The refusal's message when not.
std::optional<std::string> pageOriginRefusal(std::string_view origin);

}  // namespace hv
