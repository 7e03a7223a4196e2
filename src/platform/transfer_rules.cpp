#include "platform/transfer_rules.h"

#include "platform/transfer_schemes.h"
#include "runtime/printable_text.h"
#include "runtime/text_compare.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr int kMaxRedirects = 5;

// The reason phrase, then what the status means for the download.
std::string refusal(std::string_view reason, std::string_view meaning) {
  const std::string said = serverText(reason);
  return said + (said.empty() ? "(" : " (") + std::string(meaning) + ")";
}

bool isHttps(std::string_view url) {
  return equalsIgnoringAsciiCase(url.substr(0, 8), "https://");
}

}  // namespace

std::string serverText(std::string_view text) {
  return toAnsi(printableExcerpt(fromAnsi(text)));
}

bool isRedirect(long status, const ResponseHeaders& headers) {
  const bool redirectStatus =
      status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
  return redirectStatus && headers.find("Location") != nullptr;
}

std::optional<std::string> statusRefusal(long status, std::string_view reason) {
  if (status >= 400 && status <= 599)
    return serverText(reason);
  if (status == 206)
    return refusal(reason, "only a part of the file");
  if (status >= 200 && status <= 299)
    return std::nullopt;
  if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308)
    return refusal(reason, "redirect without a usable target");
  if (status >= 300 && status <= 399)
    return refusal(reason, "no file: a status this download does not follow");
  return refusal(reason, "no file: not a final status of a successful request");
}

std::optional<std::string> redirectRefusal(std::string_view from, std::string_view to, int hop,
                                           bool permittedSite) {
  if (hop > kMaxRedirects)
    return "Too many redirects (more than " + std::to_string(kMaxRedirects) + ")";
  const std::string target = "Redirect to " + serverText(to);
  if (!hasTransferScheme(to) || !permittedSite)
    return target + " refused: outside the permitted site";
  if (isHttps(from) && !isHttps(to))
    return target + " refused: it leaves https";
  return std::nullopt;
}

}  // namespace hv
