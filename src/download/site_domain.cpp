#include "download/site_domain.h"

#include "runtime/script_error.h"

#ifndef HVDETECTOR_SITE_DOMAIN
#define HVDETECTOR_SITE_DOMAIN "corvantis.example"
#endif

namespace hv {
namespace {

Text domainSuffix() {
  return u"." + SiteDomain();
}

}  // namespace

const Text& SiteDomain() {
  static const Text domain = textFromAscii(HVDETECTOR_SITE_DOMAIN);
  return domain;
}

Text defaultInstallerUrl() {
  return u"http://www." + SiteDomain() + u"/cvAppDownloads/library/windows/vm/install.exe";
}

bool passesHostTest(TextView url) {
  const auto first = url.find(u'/');
  const auto second = first == TextView::npos ? first : url.find(u'/', first + 1);
  if (second == TextView::npos)
    throw runtimeError(runtime_error::kSubscriptOutOfRange);
  const auto third = url.find(u'/', second + 1);
  const TextView host =
      url.substr(second + 1, third == TextView::npos ? TextView::npos : third - second - 1);
  const Text suffix = domainSuffix();
  return host.size() >= suffix.size() ? host.ends_with(suffix) : host == suffix;
}

void requireSiteDomain(TextView url) {
  if (url.size() > domainSuffix().size() && passesHostTest(url))
    return;
  throw ScriptError(-200002, u"Corvantis Halverine Downloader",
                    u"Invalid domain must be a URL for " + SiteDomain());
}

}  // namespace hv
