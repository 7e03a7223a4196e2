#include "download/inet_downloader.h"

#include "control/control_layout.h"
#include "control/library_classes.h"
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

}  // namespace hv
