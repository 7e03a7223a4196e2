#include "win32/win32_message_pump.h"

#include <windows.h>

namespace hv {

void Win32MessagePump::pumpOnce() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace hv
