#include "orchestrate/library_catalog.h"

#include "control/library_classes.h"
#include "download/inet_downloader.h"
#include "orchestrate/base.h"

namespace hv {

ClassCatalog libraryCatalog(Platform& platform) {
  ClassCatalog catalog;
  catalog.add(ClassFactory(inetDownloaderClass(), [&platform](const CreationContext&) {
    return std::make_shared<InetDownloader>(platform);
  }));
  catalog.add(ClassFactory(baseClass(), [&platform](const CreationContext& context) {
    return std::make_shared<Base>(platform, context);
  }));
  return catalog;
}

}  // namespace hv
