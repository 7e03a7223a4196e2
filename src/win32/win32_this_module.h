#pragma once

#include <windows.h>

namespace hv {

// The module the Windows ports were linked into: the control library, or a program linked with
// them (the test client). Window classes of the ports are registered with it.
HINSTANCE portsModule();

}  // namespace hv
