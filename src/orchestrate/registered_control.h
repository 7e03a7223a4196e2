#pragma once

#include <memory>
#include <string_view>

#include "control/class_factory.h"
#include "platform/platform.h"

namespace hv {

// The class a ProgID names, found as a browser finds it: the ProgID's class identifier in the
// registry, then the module's class for it. Throws DispatchError "class not registered" when
// the registry does not name a class this module serves.
const ClassFactory& registeredClass(Platform& platform, const ClassCatalog& catalog,
                                    std::string_view progId);

// Finds children's classes the same way, so that a control whose layout names a class that is
// not registered cannot be created.
class RegisteredClasses : public ClassLookup {
 public:
  RegisteredClasses(Platform& platform, const ClassCatalog& catalog)
      : platform_(platform), catalog_(catalog) {}

  // Also refuses a ProgID registered under another class identifier than the layout names.
  const ClassFactory& classFor(std::string_view progId, const Guid& clsid) const override;

 private:
  Platform& platform_;
  const ClassCatalog& catalog_;
};

}  // namespace hv
