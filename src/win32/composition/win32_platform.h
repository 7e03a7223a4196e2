#pragma once

#include "platform/platform.h"

namespace hv {

// The ports every instance of the module works on; they keep no state of their own.
Platform& win32Platform();

}  // namespace hv
