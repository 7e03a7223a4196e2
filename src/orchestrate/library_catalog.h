#pragma once

#include "control/class_factory.h"
#include "platform/platform.h"

namespace hv {

// The classes this module serves, in registration order, making their instances on `platform`.
ClassCatalog libraryCatalog(Platform& platform);

}  // namespace hv
