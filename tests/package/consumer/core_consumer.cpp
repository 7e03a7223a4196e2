#include <iostream>

#include "download/site_domain.h"
#include "runtime/text_encoding.h"

// The domain the package configuration announces must be the one compiled into the library.
int main() {
  const hv::Text inside = u"http://www." + hv::SiteDomain() + u"/a.cvx";
  const bool checksHosts =
      hv::passesHostTest(inside) && !hv::passesHostTest(u"http://elsewhere.invalid/a.cvx");
  std::cout << (hv::toUtf8(hv::SiteDomain()) == CONFIGURED_SITE_DOMAIN ? "domain as configured"
                                                                       : "another domain")
            << ", " << (checksHosts ? "checks hosts" : "lets any host through") << "\n";
}
