#pragma once

#include <oaidl.h>

#include "control/guid.h"

namespace hv {

GUID toGuid(const Guid& id);
Guid fromGuid(const GUID& id);

// The type information the module carries for `id` (an interface or class identifier), read
// from the type library embedded in the module itself, so it answers also before registration.
HRESULT moduleTypeInfo(const Guid& id, ITypeInfo** info);

}  // namespace hv
