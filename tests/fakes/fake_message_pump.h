#pragma once

#include <functional>

#include "platform/message_pump_port.h"

namespace hv::testing {

// Counts pumps; `onPump` stands for whatever page script or the host would run in one.
class FakeMessagePump : public MessagePumpPort {
 public:
  void pumpOnce() override {
    ++pumps;
    if (onPump)
      onPump();
  }

  int pumps = 0;
  std::function<void()> onPump;
};

}  // namespace hv::testing
