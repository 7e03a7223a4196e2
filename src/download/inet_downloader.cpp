// The control's life and the members page script calls directly: starting, cancelling and
// reading the state. What happens once the transfer reports back is in
// inet_downloader_response.cpp, the local file and the copy into it in inet_downloader_file.cpp.
#include "download/inet_downloader.h"

#include <utility>

#include "control/control_layout.h"
#include "control/library_classes.h"
#include "diag/event_logging.h"
#include "download/download_naming.h"
#include "download/site_domain.h"
#include "runtime/script_error.h"

namespace hv {
namespace {

constexpr std::int32_t kRequestTimeoutSeconds = 120;

}  // namespace

InetDownloader::InetDownloader(Platform& platform)
    : ControlObject(inetDownloaderClass()), platform_(platform) {
  for (const LayoutChild& child : inetDownloaderLayout().children) {
    if (child.progId == kTransferControlProgId)
      createInet1();
  }
  UserControl_Initialize();
}

InetDownloader::~InetDownloader() {
  UserControl_Terminate();
}

void InetDownloader::UserControl_Initialize() {
  transferMode = 1;
  Inet1->RequestTimeout(kRequestTimeoutSeconds);
}

void InetDownloader::createInet1() {
  Inet1 = platform_.transfers.createTransferControl();
  Inet1->onStateChanged([this](std::int16_t state) { Inet1_StateChanged(state); });
}

// A fresh transfer gets what initialisation gave the first one.
TransferControl& InetDownloader::transfer() {
  if (!Inet1) {
    createInet1();
    Inet1->RequestTimeout(kRequestTimeoutSeconds);
  }
  return *Inet1;
}

// A control released with its file open would keep the number and the handle for the rest of
// the process: termination lets go of both, as a cancel does.
void InetDownloader::UserControl_Terminate() {
  Cancel();
}

Variant InetDownloader::invokeMember(const MemberInfo& member, std::span<Variant> args) {
  using namespace inet_downloader_dispid;
  switch (member.id) {
    case kRemoteFileToDownload:
      return RemoteFileToDownload();
    case kFileType:
      fileType(args[0].integer());
      return {};
    case kDownload:
      return Download(args[0].text(), args[1].text());
    case kCancel:
      Cancel();
      return {};
    case kOpenFile:
      OpenFile();
      return {};
    case kReadBinaryData:
      ReadBinaryData();
      return {};
    case kReadCharacterData:
      ReadCharacterData();
      return {};
    case kGetFileNameParts:
      return getFileNameParts(args[0].text());
  }
  throwNotImplemented(classInfo(), member);
}

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
  discardUnfinishedFile();
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
  discardUnfinishedFile();
}

// A file that stopped short of its body never stays to look like a finished download. Failing
// to remove it is no failure of the step that gives it up.
void InetDownloader::discardUnfinishedFile() {
  try {
    if (const auto partial = std::exchange(unfinishedFile_, std::nullopt))
      platform_.files.remove(*partial);
  } catch (const ScriptError&) {
  }
}

Variant InetDownloader::getFileNameParts(Text& strFileName) {
  return hv::getFileNameParts(strFileName);
}

}  // namespace hv
