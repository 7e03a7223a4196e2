#pragma once

#include <windows.h>

#include "platform/message_box_port.h"

namespace hv {

// MessageBoxW with the critical icon and OK. A box without a title of its own passes none, so
// the system's default caption shows. Its owner is the control's window while it is shown in
// one, else the thread's active window, so that the box is modal to the page it belongs to.
class Win32MessageBox : public MessageBoxPort {
 public:
  void showCritical(TextView text, std::optional<TextView> title) override;
  void ownBy(HWND window) { owner_ = window; }

 private:
  HWND owner_ = nullptr;
};

}  // namespace hv
