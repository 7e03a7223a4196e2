#include "com/com_class_factory.h"

#include "com/com_errors.h"
#include "com/wrap_control.h"
#include "win32/win32_ui_site.h"

namespace hv {

HRESULT STDMETHODCALLTYPE ComClassFactory::CreateInstance(IUnknown* outer, REFIID riid,
                                                          void** object) {
  if (!object)
    return E_POINTER;
  *object = nullptr;
  if (outer)
    return CLASS_E_NOAGGREGATION;
  return guarded([&] {
    const auto site = std::make_shared<Win32UiSite>();
    IUnknown* instance = wrapControl(factory_.createInstance({classes_, *site, site}), site);
    const HRESULT hr = instance->QueryInterface(riid, object);
    instance->Release();
    return hr;
  });
}

HRESULT STDMETHODCALLTYPE ComClassFactory::LockServer(BOOL lock) {
  ClassFactory::lockServer(lock != FALSE);
  return S_OK;
}

}  // namespace hv
