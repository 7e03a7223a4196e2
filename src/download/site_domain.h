#pragma once

#include "runtime/text.h"

namespace hv {

// The vendor's web domain, without a leading dot; chosen when the library is built.
const Text& SiteDomain();

// Where the installer is fetched from unless a page says otherwise.
Text defaultInstallerUrl();

// Whether the host part of `url` ends in "." + SiteDomain(). A URL with fewer than two "/" has
// no host part: runtime error 9.
bool passesHostTest(TextView url);

// The check both Download members make before anything else: -200002 for a URL outside the
// domain.
void requireSiteDomain(TextView url);

}  // namespace hv
