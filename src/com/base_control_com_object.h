#pragma once

#include <objsafe.h>

#include "com/com_control.h"
#include "hvdetector_interfaces.h"

namespace hv {

// Its platform header gives IObjectSafety no identifier for __uuidof.
template <>
inline const IID& interfaceId<IObjectSafety>() {
  return IID_IObjectSafety;
}

// The COM object of the Base control: the dual interface _Base in function-table order, and
// IObjectSafety.
class BaseControlComObject : public ComControl<_Base, IObjectSafety> {
 public:
  using ComControl::ComControl;

  HRESULT STDMETHODCALLTYPE get_HasCvxMime(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE get_HasCvtMime(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE get_HasParticipantHalverine(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE get_HasSupervisorHV(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE get_HasIEAutoOpen(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE put_DownloadLocation(BSTR value) override;
  HRESULT STDMETHODCALLTYPE LAUNCH(BSTR* url, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE LaunchInternal(BSTR* remoteFile, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE getRemoteFile(VARIANT* url, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE INSTALL(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE DownloadInternal(BSTR* source, BSTR* dest, long* result) override;
  HRESULT STDMETHODCALLTYPE Download(BSTR* source, BSTR* dest, long* result) override;

  HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                      DWORD* enabled) override;
  HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD mask,
                                                      DWORD enabled) override;
};

}  // namespace hv
