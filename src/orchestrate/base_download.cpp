// Every download Base starts: a fresh worker per download, bound so that its events reach the
// handlers, which trap nothing: a failure goes back to the downloader as the failure of the
// event it raised.
#include <array>
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
namespace {

constexpr std::int32_t kDownloadCompleted = 1;
constexpr std::int32_t kDownloadFailed = -1;

}  // namespace

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
  downloadMode = kNoFollowUp;
  return Download(source, dest);
}

std::shared_ptr<InetDownloader> Base::loadInetDownloader() {
  auto element =
      std::static_pointer_cast<InetDownloader>(inetDownloaderFactory_->createInstance(context_));
  InetDownloader1.push_back(element);
  return element;
}

void Base::onBoundEvent(DispId id, std::span<Variant> args) {
  const auto self = keepAlive();
  namespace ids = inet_downloader_dispid;
  switch (id) {
    case ids::kEventProgress:
      objInetDownloader_Progress(args[0].longValue(), args[1].longValue());
      break;
    case ids::kEventDownloadComplete:
      objInetDownloader_DownloadComplete();
      break;
    case ids::kEventError:
      objInetDownloader_Error(args[0].longValue(), args[1].text());
      break;
  }
}

void Base::objInetDownloader_Progress(std::int32_t& BytesReceived, std::int32_t& bytesRemaining) {
  setProgressBar(progress_bar_dispid::kMin, 0);
  setProgressBar(progress_bar_dispid::kMax, 100);
  const auto total = static_cast<std::int32_t>(static_cast<std::uint32_t>(BytesReceived) +
                                               static_cast<std::uint32_t>(bytesRemaining));
  const double percentage = divide(BytesReceived, total) * 100;
  setProgressBar(progress_bar_dispid::kValue, toInt16(percentage));
  platform_.messagePump.pumpOnce();
}

void Base::objInetDownloader_Error(std::int32_t& errCode, Text& errMsg) {
  messageBox().showCritical(u"Error: " + numberToText(errCode) + u" " + errMsg, std::nullopt);
  downloadStatus = kDownloadFailed;
  installInProgress = kScriptFalse;
}

void Base::objInetDownloader_DownloadComplete() {
  downloadStatus = kDownloadCompleted;
  installInProgress = kScriptFalse;
  if (downloadMode != kNoFollowUp) {
    Text remoteFile = objInetDownloader->RemoteFileToDownload().toText();
    if (downloadMode == kInstallMode)
      InstallInternal(remoteFile);
    else
      LaunchInternal(remoteFile);
  }
  objInetDownloader.reset();
}

// Set by dispatch identifier, as a late-bound property put of a single-precision number.
void Base::setProgressBar(DispId property, float value) {
  std::array<Variant, 1> args{Variant(value)};
  invoke(*prgDownload, property, MemberKind::PropertyPut, args);
}

}  // namespace hv
