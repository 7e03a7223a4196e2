#pragma once

#include <unknwn.h>

#include <atomic>

#include "control/class_factory.h"

namespace hv {

// IClassFactory for one control class. It lives as long as the module, and while a client holds
// a reference to it the module stays loaded, as it does under LockServer.
class ComClassFactory : public IClassFactory {
 public:
  // Instances find their children's classes in `classes`, and each gets a UI site of its own.
  ComClassFactory(const ClassFactory& factory, const ClassLookup& classes)
      : factory_(factory), classes_(classes) {}

  const ClassInfo& classInfo() const { return factory_.classInfo(); }
  virtual ~ComClassFactory() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  const ClassFactory& factory_;
  const ClassLookup& classes_;
  std::atomic<ULONG> references_{0};  // the clients' references; the module's own is not one
};

}  // namespace hv
