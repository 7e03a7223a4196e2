#include "download/site_domain.h"

#include <algorithm>

#include "runtime/library_errors.h"
#include "runtime/script_error.h"

#if !defined(HVDETECTOR_SITE_DOMAIN) || !defined(HVDETECTOR_INSTALLER_URL)
#error "HVDETECTOR_SITE_DOMAIN and HVDETECTOR_INSTALLER_URL are set by the build"
#endif

namespace hv {
namespace {

bool isAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// "http:", "https:", "ftp:" and any other scheme, with the colon that ends it.
bool isSchemeWithColon(TextView part) {
  if (part.size() < 2 || !isAsciiLetter(part.front()) || part.back() != u':')
    return false;
  return std::all_of(part.begin() + 1, part.end() - 1, [](char16_t c) {
    return isAsciiLetter(c) || isAsciiDigit(c) || c == u'+' || c == u'-' || c == u'.';
  });
}

// Characters after which parsers disagree on where the host ends or what it is: "?" and "#"
// end an authority, "\" is a slash to browsers and transfer libraries, "%" escapes are decoded
// into the host by some and not by others, blanks and control characters are dropped by some,
// and characters beyond ASCII are normalised by host-name mapping into any of the above.
bool blursTheAuthority(char16_t c) {
  return c <= u' ' || c >= 0x7F || c == u'?' || c == u'#' || c == u'\\' || c == u'%';
}

struct LeadingParts {
  TextView scheme;          // before the first "/"
  TextView betweenSlashes;  // between the first and the second "/"
  TextView authority;       // between the second and the third "/", or to the end
};

// A URL with fewer than two "/" has no authority part at all: a subscript error, as indexing
// the third part of a split would be.
LeadingParts leadingParts(TextView url) {
  const auto first = url.find(u'/');
  const auto second = first == TextView::npos ? first : url.find(u'/', first + 1);
  if (second == TextView::npos)
    throw runtimeError(runtime_error::kSubscriptOutOfRange);
  const auto third = url.find(u'/', second + 1);
  const auto authorityLength = third == TextView::npos ? third : third - second - 1;
  return {url.substr(0, first), url.substr(first + 1, second - first - 1),
          url.substr(second + 1, authorityLength)};
}

}  // namespace

const Text& SiteDomain() {
  static const Text domain = u"" HVDETECTOR_SITE_DOMAIN;
  return domain;
}

const Text& siteDomainSuffix() {
  static const Text suffix = u"." + SiteDomain();
  return suffix;
}

Text defaultInstallerUrl() {
  return u"" HVDETECTOR_INSTALLER_URL;
}

bool passesHostTest(TextView url) {
  const auto [scheme, betweenSlashes, authority] = leadingParts(url);
  // Only "scheme://" puts the authority after the second "/" for every parser; without it a
  // transfer library guesses a scheme and takes the text before the slashes as the host.
  if (!isSchemeWithColon(scheme) || !betweenSlashes.empty())
    return false;
  if (std::any_of(authority.begin(), authority.end(), blursTheAuthority))
    return false;
  // Parsers disagree on which "@" ends the user information.
  const auto at = authority.find(u'@');
  if (at != TextView::npos && authority.find(u'@', at + 1) != TextView::npos)
    return false;
  const TextView host = at == TextView::npos ? authority : authority.substr(at + 1);
  // The vendor's site is served on its scheme's own port: a host with a port, or with any other
  // ":", is not one of its hosts.
  if (host.find(u':') != TextView::npos)
    return false;
  return host.ends_with(siteDomainSuffix());
}

bool isInsideSiteDomain(TextView url) {
  try {
    return passesHostTest(url);
  } catch (const ScriptError&) {
    return false;
  }
}

void requireSiteDomain(TextView url) {
  if (url.size() <= siteDomainSuffix().size() || !passesHostTest(url)) {
    throw ScriptError(kRefusedOrFailed, u"Corvantis Halverine Downloader",
                      u"Invalid domain must be a URL for " + SiteDomain());
  }
}

}  // namespace hv
