#pragma once

#include <unknwn.h>

#include "com/com_object.h"
#include "control/class_factory.h"

namespace hv {

// IClassFactory for one control class. It lives as long as the module, and while a client holds
// a reference to it the module stays loaded, as it does under LockServer.
class ComClassFactory : public ComObject<ComLifetime::ModuleLong, IClassFactory> {
 public:
  // Instances find their children's classes in `classes`, and each gets a UI site of its own.
  ComClassFactory(const ClassFactory& factory, const ClassLookup& classes)
      : factory_(factory), classes_(classes) {}

  const ClassInfo& classInfo() const { return factory_.classInfo(); }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  const ClassFactory& factory_;
  const ClassLookup& classes_;
};

}  // namespace hv
