// The members page script calls directly: starting, cancelling, and reading the state.
#include <utility>

#include "diag/event_logging.h"
#include "download/download_naming.h"
#include "download/inet_downloader.h"
#include "download/site_domain.h"
#include "runtime/script_error.h"

namespace hv {

Variant InetDownloader::RemoteFileToDownload() {
  return Variant(fileName);
}

// Transfers stay binary whatever a page asks: the value is accepted and dropped.
void InetDownloader::fileType(std::int16_t&) {}

std::int32_t InetDownloader::Download(Text& source, Text&) {
  requireSiteDomain(source);
  fileName = getFileNameFromURL(source);
  // A new request never writes into the file of the one it replaces, and that one's copy, if
  // this runs inside it, stops.
  ++request_;
  if (fileNumber != 0) {
    platform_.files.close(fileNumber);
    fileNumber = 0;
  }
  removeUnfinishedFile();
  contentLength = 0;
  receivedLength = 0;
  LogDebug(platform_, u"Downloading " + source);
  transfer().Execute(source);
  return 0;
}

// Each step runs whatever became of the one before: a cancel must always release the file.
void InetDownloader::Cancel() {
  try {
    if (Inet1)
      Inet1->Cancel();
  } catch (const ScriptError&) {
  }
  try {
    if (fileNumber != 0)
      platform_.files.close(fileNumber);
  } catch (const ScriptError&) {
  }
  fileNumber = 0;
  removeUnfinishedFile();
}

// A file that stopped short of its body never stays to look like a finished download. Failing
// to remove it is no failure of the step that gives it up.
void InetDownloader::removeUnfinishedFile() {
  try {
    if (const auto partial = std::exchange(unfinishedFile_, std::nullopt))
      platform_.files.remove(*partial);
  } catch (const ScriptError&) {
  }
}

}  // namespace hv
