#include "transfer/transfer_rules.h"

#include "runtime/printable_text.h"
#include "runtime/text_compare.h"
#include "runtime/text_encoding.h"
#include "transfer/transfer_schemes.h"

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

HeadVerdict judgeHead(long status, std::string_view reason, const ResponseHeaders& headers,
                      const PolicyFailureCodes& codes) {
  if (isRedirect(status, headers))
    return {HeadVerdict::kRedirect, {}};
  if (const auto refusal = statusRefusal(status, reason))
    return {HeadVerdict::kRefused, {TransferCode::serverStatus(status), *refusal}};
  if (const auto fault = headers.framingFault()) {
    const TransferCode code =
        fault->kind == FramingFault::kLength ? codes.badLength : codes.badCoding;
    return {HeadVerdict::kRefused, {code, fault->reason}};
  }
  return {HeadVerdict::kFile, {}};
}

std::optional<TransferFailure> redirectFailure(long status, std::string_view reason, TextView from,
                                               const std::optional<Text>& to, int hop,
                                               const RedirectPermission& permitted) {
  const TransferCode code = TransferCode::serverStatus(status);
  if (!to)
    return TransferFailure{code, statusRefusal(status, reason).value_or("")};
  const bool allowed = hasTransferScheme(toUtf8(*to)) && permitted && permitted(*to);
  if (auto refusal = redirectRefusal(toAnsi(from), toAnsi(*to), hop, allowed))
    return TransferFailure{code, std::move(*refusal)};
  return std::nullopt;
}

}  // namespace hv
