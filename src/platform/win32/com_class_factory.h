#pragma once

#include <unknwn.h>

#include "control/class_factory.h"

namespace hv {

// IClassFactory for one control class. It lives as long as the module; handing it out does not
// keep the module loaded, LockServer does.
class ComClassFactory : public IClassFactory {
 public:
  // Instances are made with `context`: the module's own classes for their children, and a UI
  // site of their own.
  ComClassFactory(const ClassFactory& factory, const CreationContext& context)
      : factory_(factory), context_(context) {}

  const ClassInfo& classInfo() const { return factory_.classInfo(); }
  virtual ~ComClassFactory() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  const ClassFactory& factory_;
  const CreationContext& context_;
};

}  // namespace hv
