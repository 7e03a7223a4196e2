#include "com/inet_downloader_com_object.h"

#include "control/library_classes.h"

namespace hv {

using namespace inet_downloader_dispid;

HRESULT STDMETHODCALLTYPE InetDownloaderComObject::get_RemoteFileToDownload(VARIANT* result) {
  return callMember(kRemoteFileToDownload, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE InetDownloaderComObject::put_fileType(short* value) {
  return callMember(kFileType, DISPATCH_PROPERTYPUT, {byReference(value)});
}
HRESULT STDMETHODCALLTYPE InetDownloaderComObject::Download(BSTR* source, BSTR* dest,
                                                            long* result) {
  return callMember(kDownload, DISPATCH_METHOD, {byReference(source), byReference(dest)}, result);
}
HRESULT STDMETHODCALLTYPE InetDownloaderComObject::Cancel() {
  return callMember(kCancel, DISPATCH_METHOD, {});
}
HRESULT STDMETHODCALLTYPE InetDownloaderComObject::OpenFile() {
  return callMember(kOpenFile, DISPATCH_METHOD, {});
}
HRESULT STDMETHODCALLTYPE InetDownloaderComObject::ReadBinaryData() {
  return callMember(kReadBinaryData, DISPATCH_METHOD, {});
}
HRESULT STDMETHODCALLTYPE InetDownloaderComObject::ReadCharacterData() {
  return callMember(kReadCharacterData, DISPATCH_METHOD, {});
}
HRESULT STDMETHODCALLTYPE InetDownloaderComObject::getFileNameParts(BSTR* strFileName,
                                                                    VARIANT* result) {
  return callMember(kGetFileNameParts, DISPATCH_METHOD, {byReference(strFileName)}, result);
}

}  // namespace hv
