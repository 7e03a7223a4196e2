#pragma once

#include <unknwn.h>

#include <memory>

#include "control/control_object.h"
#include "win32/win32_ui_site.h"

namespace hv {

// The COM object for a new control instance made with `site`, with one reference held by the
// caller.
IUnknown* wrapControl(std::shared_ptr<ControlObject> object, std::shared_ptr<Win32UiSite> site);

}  // namespace hv
