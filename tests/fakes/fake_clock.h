#pragma once

#include "platform/clock_port.h"

namespace hv::testing {

class FakeClock : public ClockPort {
 public:
  LocalDateTime localNow() override { return now; }
  // 7 December 2026, 14:11:26.
  LocalDateTime now{2026, 12, 7, 341, 14, 11, 26};
};

}  // namespace hv::testing
