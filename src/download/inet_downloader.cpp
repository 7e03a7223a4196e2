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

Variant InetDownloader::invokeMember(const MemberInfo& member, std::span<Variant>) {
  throwNotImplemented(classInfo(), member);
}

}  // namespace hv
