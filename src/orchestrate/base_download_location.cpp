#include "download/site_domain.h"
#include "orchestrate/base.h"

namespace hv {

// A URL outside the vendor's domain is dropped without a word: the installer URL a page cannot
// change is the one INSTALL keeps fetching.
void Base::DownloadLocation(const Text& url) {
  if (passesHostTest(url))
    downloadLocationUrl = url;
}

}  // namespace hv
