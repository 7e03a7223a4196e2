#pragma once

#include "runtime/text.h"

namespace hv {

// The vendor's web domain without a leading dot, fixed when the library is built.
const Text& SiteDomain();

// "." + SiteDomain(): what the host of every URL the library fetches from must end in.
const Text& siteDomainSuffix();

// Where INSTALL fetches the installer from until page script names another place: the build's
// choice, always under the vendor's domain.
Text defaultInstallerUrl();

// True when the URL's host lies in the vendor's domain. The host is what follows the second "/";
// a URL with fewer than two "/" has none, which is the runtime's subscript error (9).
//
// The domain is judged on the host a URL parser will actually connect to, not merely on the text
// between the slashes: a URL whose authority could be read another way by a browser or a transfer
// library fails, so that no URL that passes can reach a host outside the domain.
bool passesHostTest(TextView url);

// The test without its subscript error: whether a transfer may follow a redirect to `url`.
bool isInsideSiteDomain(TextView url);

// The form the download members use: a URL too short to hold the suffix, or one whose host fails
// the test, is refused with kRefusedOrFailed (-200002); the subscript error of the test reaches the
// caller as is.
void requireSiteDomain(TextView url);

}  // namespace hv
