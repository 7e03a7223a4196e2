#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/system_error_rows.h"

namespace hv {

// The runtime's error number for a system error code (GetLastError()).
std::int32_t runtimeErrorFor(DWORD systemError, SystemRequest request);

}  // namespace hv
