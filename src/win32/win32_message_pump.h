#pragma once

#include "platform/message_pump_port.h"

namespace hv {

// The thread's window message queue: every waiting message is dispatched once.
class Win32MessagePump : public MessagePumpPort {
 public:
  void pumpOnce() override;
};

}  // namespace hv
