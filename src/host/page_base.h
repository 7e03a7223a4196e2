#pragma once

#include <memory>

#include "control/class_factory.h"
#include "host/command.h"
#include "host/terminal_message_box.h"
#include "host/terminal_panel.h"
#include "orchestrate/base.h"
#include "orchestrate/registered_control.h"
#include "posix/composition/posix_platform.h"

namespace hv {

// Base as a page holds it: created from its registered class, its safety negotiated before any
// member is called, its panel and message boxes on the command's error stream. Throws
// EnvironmentError when the registry store cannot be read.
class PageBase {
 public:
  PageBase(CommandContext& context, PosixPlatform& host);

  Base& base() { return *base_; }
  TerminalPanel& panel() { return panel_; }
  // Boxes shown so far: each one is the flow telling the user something went wrong.
  int boxesShown() const { return boxes_.shown(); }

 private:
  TerminalMessageBox boxes_;
  TerminalPanel panel_;
  ClassCatalog catalog_;
  RegisteredClasses classes_;
  std::shared_ptr<ControlObject> object_;
  Base* base_;
};

}  // namespace hv
