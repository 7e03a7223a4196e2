// Members of InetDownloader whose behaviour is still to come: each raises a clear script error.
#include "control/library_classes.h"
#include "download/inet_downloader.h"

namespace hv {
namespace {

[[noreturn]] void pending(const ClassInfo& info, DispId id) {
  throwNotImplemented(info, *info.findMember(id));
}

}  // namespace

Variant InetDownloader::RemoteFileToDownload() {
  pending(classInfo(), inet_downloader_dispid::kRemoteFileToDownload);
}

void InetDownloader::fileType(std::int16_t&) {
  pending(classInfo(), inet_downloader_dispid::kFileType);
}

std::int32_t InetDownloader::Download(Text&, Text&) {
  pending(classInfo(), inet_downloader_dispid::kDownload);
}

void InetDownloader::Cancel() {
  pending(classInfo(), inet_downloader_dispid::kCancel);
}

void InetDownloader::OpenFile() {
  pending(classInfo(), inet_downloader_dispid::kOpenFile);
}

void InetDownloader::ReadBinaryData() {
  pending(classInfo(), inet_downloader_dispid::kReadBinaryData);
}

void InetDownloader::ReadCharacterData() {
  pending(classInfo(), inet_downloader_dispid::kReadCharacterData);
}

}  // namespace hv
