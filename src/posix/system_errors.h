#pragma once

#include <cstdint>

#include "platform/system_error_rows.h"

namespace hv {

// The runtime's error number for a system error number (errno).
std::int32_t runtimeErrorFor(int systemError, SystemRequest request);

}  // namespace hv
