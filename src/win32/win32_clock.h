#pragma once

#include "platform/clock_port.h"

namespace hv {

// The local time as the system keeps it.
class Win32Clock : public ClockPort {
 public:
  LocalDateTime localNow() override;
};

}  // namespace hv
