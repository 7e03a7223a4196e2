#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/text.h"
#include "transfer/response_headers.h"
#include "transfer/transfer_code.h"

namespace hv {

// The rules every transfer applies to what a server sends, whichever library carries it.

// Text from the server (a reason phrase, a Location) as a failure may quote it: control and
// reordering characters escaped, cut after 80 characters. ANSI in, ANSI out.
std::string serverText(std::string_view text);

// Whether the head asks to be followed elsewhere: 301, 302, 303, 307 or 308 with a Location.
bool isRedirect(long status, const ResponseHeaders& headers);

// Why a final head that is no redirect is not a whole file, as the text after the status code
// in the failure: only a 2xx other than 206 Partial Content is. Nothing when it is a file.
std::optional<std::string> statusRefusal(long status, std::string_view reason);

// Why the redirect number `hop` (the first is 1) from `from` to `to` is not followed, or
// nothing. Beyond 5 hops, to a scheme no transfer takes or off the permitted site
// (`permittedSite` says whether the site rule allows `to`), or from https to anything else.
std::optional<std::string> redirectRefusal(std::string_view from, std::string_view to, int hop,
                                           bool permittedSite);

// Whether a redirect may be followed to this URL; any refusal fails the request.
using RedirectPermission = std::function<bool(TextView url)>;

// What a final head (no 1xx) asks of its transfer: read the body as the file, judge a redirect,
// or fail the request.
struct HeadVerdict {
  enum Kind { kFile, kRedirect, kRefused };
  Kind kind;
  TransferFailure refusal;  // kRefused
};
HeadVerdict judgeHead(long status, std::string_view reason, const ResponseHeaders& headers,
                      const PolicyFailureCodes& codes);

// The failure that ends the request instead of following the redirect number `hop` its head
// (`status`, `reason`) asks for, from `from` to `to` (none when the head names no usable URL);
// nothing when it is followed.
std::optional<TransferFailure> redirectFailure(long status, std::string_view reason, TextView from,
                                               const std::optional<Text>& to, int hop,
                                               const RedirectPermission& permitted);

}  // namespace hv
