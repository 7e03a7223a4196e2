#pragma once

#include "platform/clock_port.h"

namespace hv {

class PosixClock : public ClockPort {
 public:
  LocalDateTime localNow() override;
};

}  // namespace hv
