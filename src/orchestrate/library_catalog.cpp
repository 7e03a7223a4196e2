#include "orchestrate/library_catalog.h"

#include "control/library_classes.h"
#include "download/inet_downloader.h"
#include "orchestrate/base.h"

namespace hv {

ClassCatalog libraryCatalog(Platform& platform) {
  ClassCatalog catalog;
  catalog.add(ClassFactory(inetDownloaderClass(),
                           [&platform] { return std::make_shared<InetDownloader>(platform); }));
  catalog.add(ClassFactory(baseClass(), [&platform] { return std::make_shared<Base>(platform); }));
  return catalog;
}

}  // namespace hv
