#pragma once

#include <objsafe.h>

#include "com/com_control.h"
#include "hvdetector_interfaces.h"

namespace hv {

// Base as COM sees it: the dual interface _Base in function-table order, and IObjectSafety.
class BaseComObject : public ComControl<_Base>, public IObjectSafety {
 public:
  using ComControl::ComControl;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return ComControl::QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ComControl::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return ComControl::Release(); }

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

 protected:
  void* classInterface(InterfaceKind kind) override {
    return kind == InterfaceKind::ObjectSafety ? static_cast<IObjectSafety*>(this) : nullptr;
  }
};

}  // namespace hv
