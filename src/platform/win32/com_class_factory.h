#pragma once

#include <unknwn.h>

#include "control/class_factory.h"

namespace hv {

// IClassFactory for one control class. It lives as long as the module; handing it out does not
// keep the module loaded, LockServer does.
class ComClassFactory : public IClassFactory {
 public:
  explicit ComClassFactory(const ClassFactory& factory) : factory_(factory) {}

  const ClassInfo& classInfo() const { return factory_.classInfo(); }
  virtual ~ComClassFactory() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  const ClassFactory& factory_;
};

}  // namespace hv
