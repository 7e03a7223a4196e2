#pragma once

#include <windows.h>

#include "platform/message_pump_port.h"

namespace hv {

// The thread's window messages: the module the ports' window classes are registered with, and
// the pump that dispatches what waits for their windows.

// The module the Windows ports were linked into: the control library, or a program linked with
// them (the test client).
HINSTANCE portsModule();

// The thread's window message queue: every waiting message is dispatched once.
class Win32MessagePump : public MessagePumpPort {
 public:
  void pumpOnce() override;
};

}  // namespace hv
