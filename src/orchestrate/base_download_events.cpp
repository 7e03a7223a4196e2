// The handlers of the bound downloader's events. None traps: a failure goes back to the
// downloader as the failure of the event it raised.
#include <array>

#include "control/dispatch.h"
#include "control/library_classes.h"
#include "orchestrate/base.h"
#include "runtime/numeric_conversion.h"

namespace hv {
namespace {

constexpr std::int32_t kDownloadCompleted = 1;
constexpr std::int32_t kDownloadFailed = -1;
constexpr std::int32_t kInstallMode = 1;
constexpr std::int32_t kNoFollowUp = 3;

}  // namespace

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
