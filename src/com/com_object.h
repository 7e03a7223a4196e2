#pragma once

#include <unknwn.h>

#include <atomic>

#include "control/module_state.h"

namespace hv {

// The identifier QueryInterface knows a COM interface by.
template <typename Interface>
const IID& interfaceId() {
  return __uuidof(Interface);
}

// How a COM object lives, and how it keeps the module loaded meanwhile.
enum class ComLifetime {
  // Made with new and handed out with its creator's reference. It is one of the module's live
  // objects until its last reference goes, and then it deletes itself.
  OwnReferences,
  // Lives as long as the module (a class factory): the module stays loaded while a client holds
  // a reference to it, as it does under LockServer.
  ModuleLong,
};

// IUnknown, once for every interface the object implements: one reference count, and
// QueryInterface over IUnknown (through the first interface) and each of `Interfaces` by its
// identifier. An extra Release from a careless client never wraps the count, which would free
// the object or unload the module under its other holders.
template <ComLifetime lifetime, typename First, typename... Interfaces>
class ComObject : public First, public Interfaces... {
 public:
  ComObject() {
    if constexpr (lifetime == ComLifetime::OwnReferences)
      module_lifetime::objectCreated();
  }
  virtual ~ComObject() {
    if constexpr (lifetime == ComLifetime::OwnReferences)
      module_lifetime::objectDestroyed();
  }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object)
      return E_POINTER;
    *object = interfaceFor(riid);
    if (!*object)
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    const ULONG count = ++references_;
    if constexpr (lifetime == ComLifetime::ModuleLong) {
      if (count == 1)
        module_lifetime::factoryHeld();
    }
    return count;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG count = references_.load();
    while (count > 0 && !references_.compare_exchange_weak(count, count - 1)) {
    }
    if (count == 1)
      lastReferenceGone();
    return count > 0 ? count - 1 : 0;
  }

 protected:
  // The interface `riid` names, or null. An object whose interfaces are decided at run time
  // answers for itself, and may ask the list.
  virtual void* interfaceFor(REFIID riid) { return listedInterface(riid); }

  void* listedInterface(REFIID riid) {
    if (riid == IID_IUnknown || riid == interfaceId<First>())
      return static_cast<First*>(this);
    void* found = nullptr;
    (void)((riid == interfaceId<Interfaces>() && (found = static_cast<Interfaces*>(this))) || ...);
    return found;
  }

 private:
  void lastReferenceGone() {
    if constexpr (lifetime == ComLifetime::OwnReferences)
      delete this;
    else
      module_lifetime::factoryReleased();
  }

  std::atomic<ULONG> references_{lifetime == ComLifetime::OwnReferences ? 1u : 0u};
};

}  // namespace hv
