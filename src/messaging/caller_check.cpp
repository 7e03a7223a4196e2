#include "messaging/caller_check.h"

#include <algorithm>

#include "download/site_domain.h"
#include "messaging/browser_identity.h"
#include "messaging/shown_text.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

bool isHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// "host" or "host:port", lower case as browsers serialise origins, nothing else.
bool isHostAndPort(std::string_view authority) {
  const auto colon = authority.find(':');
  const std::string_view host = authority.substr(0, colon);
  if (host.empty() || !std::all_of(host.begin(), host.end(), isHostCharacter))
    return false;
  if (colon == std::string_view::npos)
    return true;
  const std::string_view port = authority.substr(colon + 1);
  return !port.empty() && port.size() <= 5 &&
         std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<std::string> callerRefusal(std::span<const std::string_view> args) {
  const std::string chromium = "chrome-extension://" + std::string(kChromiumExtensionId) + "/";
  if (!args.empty() && args[0] == chromium)
    return std::nullopt;
  if (args.size() >= 2 && args[1] == kFirefoxAddonId)
    return std::nullopt;
  return "the caller " + (args.empty() ? std::string("(none)") : shownText(args[0])) +
         " is not the HVDetector extension";
}

std::optional<std::string> pageOriginRefusal(std::string_view origin) {
  const std::string refusal =
      "the page " + shownText(origin) + " is not on " + toUtf8(SiteDomain());
  std::string_view authority;
  if (origin.starts_with("https://"))
    authority = origin.substr(8);
  else if (origin.starts_with("http://"))
    authority = origin.substr(7);
  else
    return refusal;
  if (!isHostAndPort(authority) || !isInsideSiteDomain(fromUtf8(std::string(origin)) + u"/"))
    return refusal;
  return std::nullopt;
}

}  // namespace hv
