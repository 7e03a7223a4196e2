#include "download/inet_downloader.h"

#include "control/library_classes.h"

namespace hv {

InetDownloader::InetDownloader(Platform& platform)
    : ControlObject(inetDownloaderClass()), platform_(platform) {
  UserControl_Initialize();
}

InetDownloader::~InetDownloader() {
  UserControl_Terminate();
}

void InetDownloader::UserControl_Initialize() {
  transferMode = 1;
}

void InetDownloader::UserControl_Terminate() {}

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
