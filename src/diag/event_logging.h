#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "runtime/text.h"

namespace hv {

void LogDebug(Platform& platform, TextView message);
void LogMessage(Platform& platform, std::int16_t level, TextView message, std::int16_t eventType);
std::int16_t GetLogLevel(Platform& platform);

}  // namespace hv
