#pragma once

#include <functional>
#include <iosfwd>

#include "platform/message_box_port.h"

namespace hv {

// How the host shows a message box.
enum class BoxMode {
  Wait,   // draw the box and wait for Enter: the box is modal, as on a desktop
  Print,  // write the title and text and go on: nobody is there to close it
};

// Message boxes on the terminal. CR LF in a text is a line break; the text is written as it
// stands otherwise. `beforeShow` runs first, so that a panel drawn in place is complete above
// the box and starts afresh below it.
class TerminalMessageBox : public MessageBoxPort {
 public:
  TerminalMessageBox(std::ostream& err, std::istream& in, BoxMode mode)
      : err_(err), in_(in), mode_(mode) {}

  void showCritical(TextView text, std::optional<TextView> title) override;

  void beforeShow(std::function<void()> hook) { beforeShow_ = std::move(hook); }

  // How many boxes were shown so far.
  int shown() const { return shown_; }

 private:
  std::ostream& err_;
  std::istream& in_;
  BoxMode mode_;
  std::function<void()> beforeShow_;
  int shown_ = 0;
};

}  // namespace hv
