#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/response_headers.h"

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

}  // namespace hv
