#include "com/com_class_factory.h"

#include <new>

#include "com/com_errors.h"
#include "com/com_objects.h"
#include "control/dispatch_error.h"
#include "control/module_state.h"
#include "win32/win32_ui_site.h"

namespace hv {

HRESULT STDMETHODCALLTYPE ComClassFactory::QueryInterface(REFIID riid, void** object) {
  if (!object)
    return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IClassFactory) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ComClassFactory::AddRef() {
  const ULONG count = ++references_;
  if (count == 1)
    module_lifetime::factoryHeld();
  return count;
}

// An extra Release from a careless client must not wrap the count and unload the module under
// its other holders.
ULONG STDMETHODCALLTYPE ComClassFactory::Release() {
  ULONG count = references_.load();
  while (count > 0 && !references_.compare_exchange_weak(count, count - 1)) {
  }
  if (count == 1)
    module_lifetime::factoryReleased();
  return count > 0 ? count - 1 : 0;
}

HRESULT STDMETHODCALLTYPE ComClassFactory::CreateInstance(IUnknown* outer, REFIID riid,
                                                          void** object) {
  if (!object)
    return E_POINTER;
  *object = nullptr;
  if (outer)
    return CLASS_E_NOAGGREGATION;
  IUnknown* instance = nullptr;
  try {
    const auto site = std::make_shared<Win32UiSite>();
    instance = wrapControl(factory_.createInstance({classes_, *site, site}), site);
  } catch (const ScriptError& error) {
    reportScriptError(error, nullptr);
    return scodeOf(error);
  } catch (const DispatchError& error) {
    return failedWithoutErrorInfo(static_cast<HRESULT>(error.code()));
  } catch (const std::bad_alloc&) {
    return failedWithoutErrorInfo(E_OUTOFMEMORY);
  } catch (...) {
    return failedWithoutErrorInfo(E_UNEXPECTED);
  }
  const HRESULT hr = instance->QueryInterface(riid, object);
  instance->Release();
  return hr;
}

HRESULT STDMETHODCALLTYPE ComClassFactory::LockServer(BOOL lock) {
  ClassFactory::lockServer(lock != FALSE);
  return S_OK;
}

}  // namespace hv
