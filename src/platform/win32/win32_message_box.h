#pragma once

#include "platform/message_box_port.h"

namespace hv {

// MessageBoxW with the critical icon and OK. A box without a title of its own passes none, so
// the system's default caption shows. Its owner is the thread's active window, when it has one,
// so that the box is modal to the window the user is working in.
class Win32MessageBox : public MessageBoxPort {
 public:
  void showCritical(TextView text, std::optional<TextView> title) override;
};

}  // namespace hv
