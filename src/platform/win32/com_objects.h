#pragma once

#include <memory>

#include "control/control_object.h"

struct IUnknown;

namespace hv {

// The COM object for a new control instance, with one reference held by the caller.
IUnknown* wrapControl(std::shared_ptr<ControlObject> object);

}  // namespace hv
