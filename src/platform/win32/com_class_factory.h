#pragma once

#include <unknwn.h>

#include <atomic>

#include "control/class_factory.h"

namespace hv {

// IClassFactory for one control class. It lives as long as the module, and while a client holds
// a reference to it the module stays loaded, as it does under LockServer.
class ComClassFactory : public IClassFactory {
 public:
  // Instances are made with `context`: the module's own classes for their children, and a UI
  // site of their own.
  ComClassFactory(const ClassFactory& factory, const CreationContext& context)
      : factory_(factory), context_(context) {}

  const ClassInfo& classInfo() const { return factory_.classInfo(); }
  virtual ~ComClassFactory() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  const ClassFactory& factory_;
  const CreationContext& context_;
  std::atomic<ULONG> references_{0};  // the clients' references; the module's own is not one
};

}  // namespace hv
