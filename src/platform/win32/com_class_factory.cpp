#include "platform/win32/com_class_factory.h"

#include <new>

#include "control/dispatch_error.h"
#include "platform/win32/com_errors.h"
#include "platform/win32/com_objects.h"

namespace hv {

HRESULT STDMETHODCALLTYPE ComClassFactory::QueryInterface(REFIID riid, void** object) {
  if (!object)
    return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IClassFactory) {
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
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
    instance = wrapControl(factory_.createInstance(context_));
  } catch (const ScriptError& error) {
    reportScriptError(error, nullptr);
    return scodeOf(error);
  } catch (const DispatchError& error) {
    return static_cast<HRESULT>(error.code());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
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
