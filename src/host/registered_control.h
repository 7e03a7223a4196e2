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

}  // namespace hv
