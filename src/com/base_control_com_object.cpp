#include "com/base_control_com_object.h"

#include "control/library_classes.h"

namespace hv {

using namespace base_dispid;

HRESULT STDMETHODCALLTYPE BaseControlComObject::get_HasCvxMime(VARIANT_BOOL* result) {
  return callMember(kHasCvxMime, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::get_HasCvtMime(VARIANT_BOOL* result) {
  return callMember(kHasCvtMime, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::get_HasParticipantHalverine(VARIANT_BOOL* result) {
  return callMember(kHasParticipantHalverine, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::get_HasSupervisorHV(VARIANT_BOOL* result) {
  return callMember(kHasSupervisorHV, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::get_HasIEAutoOpen(VARIANT_BOOL* result) {
  return callMember(kHasIEAutoOpen, DISPATCH_PROPERTYGET, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::put_DownloadLocation(BSTR value) {
  return callMember(kDownloadLocation, DISPATCH_PROPERTYPUT, {byValue(value)});
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::LAUNCH(BSTR* url, VARIANT* result) {
  return callMember(kLAUNCH, DISPATCH_METHOD, {byReference(url)}, result);
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::LaunchInternal(BSTR* remoteFile, VARIANT* result) {
  return callMember(kLaunchInternal, DISPATCH_METHOD, {byReference(remoteFile)}, result);
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::getRemoteFile(VARIANT* url, BSTR* result) {
  return callMember(kGetRemoteFile, DISPATCH_METHOD, {byReference(url)}, result);
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::INSTALL(VARIANT* result) {
  return callMember(kINSTALL, DISPATCH_METHOD, {}, result);
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::DownloadInternal(BSTR* source, BSTR* dest,
                                                                 long* result) {
  return callMember(kDownloadInternal, DISPATCH_METHOD, {byReference(source), byReference(dest)},
                    result);
}
HRESULT STDMETHODCALLTYPE BaseControlComObject::Download(BSTR* source, BSTR* dest, long* result) {
  return callMember(kDownload, DISPATCH_METHOD, {byReference(source), byReference(dest)}, result);
}

}  // namespace hv
