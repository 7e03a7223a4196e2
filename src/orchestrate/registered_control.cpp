#include "orchestrate/registered_control.h"

#include <string>

#include "control/dispatch_error.h"
#include "detect/registry_routines.h"
#include "runtime/text_encoding.h"

namespace hv {

const ClassFactory& registeredClass(Platform& platform, const ClassCatalog& catalog,
                                    std::string_view progId) {
  const Text clsid = RegReadString(platform.registry, kHkeyClassesRoot,
                                   textFromAscii(progId) + u"\\Clsid", u"", u"");
  const auto parsed = Guid::parse(toUtf8(clsid));
  if (!parsed) {
    throw DispatchError(
        kRegDbEClassNotReg,
        "class not registered: " + std::string(progId) +
            " has no class identifier in the registry: the library is not registered");
  }
  return catalog.byClsid(*parsed);
}

const ClassFactory& RegisteredClasses::classFor(std::string_view progId, const Guid& clsid) const {
  const ClassFactory& found = registeredClass(platform_, catalog_, progId);
  if (!(found.classInfo().clsid == clsid)) {
    throw DispatchError(kRegDbEClassNotReg, "class not registered: " + std::string(progId) +
                                                " names another class in the registry");
  }
  return found;
}

}  // namespace hv
