#include "messaging/caller_check.h"

#include <algorithm>

#include "download/site_domain.h"
#include "messaging/browser_identity.h"
#include "messaging/shown_text.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isLabelCharacter(char c) {
  return (c >= 'a' && c <= 'z') || isDigit(c) || c == '-';
}

// Lower case, as browsers serialise origins: dot-separated labels of letters, digits and inner
// hyphens, none empty, so that no look-alike such as ".domain" or "-.domain" passes as a host.
bool isHostName(std::string_view host) {
  if (host.empty() || host.size() > 253)
    return false;
  for (std::size_t start = 0; start <= host.size();) {
    const auto dot = std::min(host.find('.', start), host.size());
    const std::string_view label = host.substr(start, dot - start);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
        !std::all_of(label.begin(), label.end(), isLabelCharacter))
      return false;
    start = dot + 1;
  }
  return true;
}

bool isChromiumCaller(std::span<const std::string_view> args) {
  const auto ids = chromiumExtensionIds();
  if (args.empty() || std::none_of(ids.begin(), ids.end(), [&](const std::string& id) {
        return args[0] == chromiumExtensionOrigin(id);
      }))
    return false;
  if (args.size() == 1)
    return true;
  constexpr std::string_view kParentWindow = "--parent-window=";
  const std::string_view handle = args[1].substr(std::min(args[1].size(), kParentWindow.size()));
  return args.size() == 2 && args[1].starts_with(kParentWindow) && !handle.empty() &&
         std::all_of(handle.begin(), handle.end(), isDigit);
}

// The path Firefox read the manifest from: absolute on Linux ("/...") or on Windows ("C:\..."
// or "\\server\..."), and a JSON file.
bool isManifestPath(std::string_view path) {
  const bool absolute = path.starts_with("/") || path.starts_with("\\\\") ||
                        (path.size() > 3 && path[1] == ':' && path[2] == '\\');
  return absolute && path.ends_with(".json");
}

bool isFirefoxCaller(std::span<const std::string_view> args) {
  return args.size() == 2 && isManifestPath(args[0]) && args[1] == firefoxAddonId();
}

}  // namespace

std::optional<std::string> callerRefusal(std::span<const std::string_view> args) {
  if (isChromiumCaller(args) || isFirefoxCaller(args))
    return std::nullopt;
  return "the caller " + (args.empty() ? std::string("(none)") : shownText(args[0])) +
         " is not the HVDetector extension";
}

std::optional<std::string> pageOriginRefusal(std::string_view origin) {
  const std::string refusal =
      "the page " + shownText(origin) + " is not on " + toUtf8(SiteDomain());
  std::string_view host;
  if (origin.starts_with("https://"))
    host = origin.substr(8);
  else if (origin.starts_with("http://"))
    host = origin.substr(7);
  else
    return refusal;
  if (!isHostName(host) || !isInsideSiteDomain(fromUtf8(std::string(origin)) + u"/"))
    return refusal;
  return std::nullopt;
}

}  // namespace hv
