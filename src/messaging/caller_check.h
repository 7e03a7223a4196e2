#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hv {

// Whether the browser started the host for one of our own extensions, by each browser's exact
// arguments: Chromium-family browsers pass the caller's origin ("chrome-extension://ID/") alone,
// or on Windows with "--parent-window=HANDLE" after it; Firefox passes the path of the manifest
// it read, then the add-on's id. The refusal's message when not.
std::optional<std::string> callerRefusal(std::span<const std::string_view> args);

// Whether a page's origin ("https://host", as the browser reports its sender) is one of the
// vendor's pages: http or https, a well-formed host name and nothing else, inside the library's
// domain. The refusal's message when not.
std::optional<std::string> pageOriginRefusal(std::string_view origin);

}  // namespace hv
