// Every download Base starts: a fresh worker per download, bound so that its events reach the
// handlers below.
#include <limits>

#include "control/dispatch.h"
#include "control/library_classes.h"
#include "diag/event_logging.h"
#include "download/download_naming.h"
#include "download/site_domain.h"
#include "orchestrate/base.h"
#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"

namespace hv {

std::int32_t Base::Download(Text& source, Text& dest) {
  tempDir = GetTempFolder(platform_.tempFolder);
  requireSiteDomain(source);
  remoteFileName = getFileNameFromURL(downloadLocationUrl);
  // The index is 16 bits and elements are never unloaded: the download that would need one
  // more is refused before it leaves a line or an element behind.
  if (controlIndex == std::numeric_limits<std::int16_t>::max())
    throw runtimeError(runtime_error::kOverflow);
  LogDebug(platform_, u"loading control index " + numberToText(std::int32_t{controlIndex}));
  ++controlIndex;
  auto downloader = loadInetDownloader();
  // Nobody hears the download a new one supersedes: it is cancelled rather than left running,
  // so that a page starting downloads in a loop has one transfer under way, not one per call.
  if (objInetDownloader)
    objInetDownloader->Cancel();
  objInetDownloader.bind(downloader);
  downloader->Download(source, dest);
  return 0;
}

std::int32_t Base::DownloadInternal(Text& source, Text& dest) {
  downloadMode = 3;
  return Download(source, dest);
}

std::shared_ptr<InetDownloader> Base::loadInetDownloader() {
  auto element =
      std::static_pointer_cast<InetDownloader>(inetDownloaderFactory_->createInstance(context_));
  InetDownloader1.push_back(element);
  return element;
}

}  // namespace hv
