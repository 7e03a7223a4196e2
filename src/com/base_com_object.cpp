#include "com/base_com_object.h"

#include "control/library_classes.h"

namespace hv {

using namespace base_dispid;

HRESULT STDMETHODCALLTYPE BaseComObject::get_HasCvxMime(VARIANT_BOOL* result) {
  return callMember(kHasCvxMime, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseComObject::get_HasCvtMime(VARIANT_BOOL* result) {
  return callMember(kHasCvtMime, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseComObject::get_HasParticipantHalverine(VARIANT_BOOL* result) {
  return callMember(kHasParticipantHalverine, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseComObject::get_HasSupervisorHV(VARIANT_BOOL* result) {
  return callMember(kHasSupervisorHV, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseComObject::get_HasIEAutoOpen(VARIANT_BOOL* result) {
  return callMember(kHasIEAutoOpen, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseComObject::put_DownloadLocation(BSTR value) {
  return callMember(kDownloadLocation, DISPATCH_PROPERTYPUT, {byValue(value)});
}
HRESULT STDMETHODCALLTYPE BaseComObject::LAUNCH(BSTR* url, VARIANT* result) {
  return callMember(kLAUNCH, DISPATCH_METHOD, {byReference(url)}, result);
}
HRESULT STDMETHODCALLTYPE BaseComObject::LaunchInternal(BSTR* remoteFile, VARIANT* result) {
  return callMember(kLaunchInternal, DISPATCH_METHOD, {byReference(remoteFile)}, result);
}
HRESULT STDMETHODCALLTYPE BaseComObject::getRemoteFile(VARIANT* url, BSTR* result) {
  return callMember(kGetRemoteFile, DISPATCH_METHOD, {byReference(url)}, result);
}
HRESULT STDMETHODCALLTYPE BaseComObject::INSTALL(VARIANT* result) {
  return callMember(kINSTALL, DISPATCH_METHOD, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseComObject::DownloadInternal(BSTR* source, BSTR* dest, long* result) {
  return callMember(kDownloadInternal, DISPATCH_METHOD, {byReference(source), byReference(dest)},
                    result);
}
HRESULT STDMETHODCALLTYPE BaseComObject::Download(BSTR* source, BSTR* dest, long* result) {
  return callMember(kDownload, DISPATCH_METHOD, {byReference(source), byReference(dest)}, result);
}

}  // namespace hv
