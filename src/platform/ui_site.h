#pragma once

#include <memory>

#include "platform/message_box_port.h"
#include "platform/panel_ports.h"

namespace hv {

// Where one control instance shows itself: its children's faces and its message boxes. Each
// instance gets its own site from whoever creates it (a window on Windows, the terminal under
// the command-line host), unlike the process-wide Platform. The site outlives the control.
class UiSite {
 public:
  virtual ~UiSite() = default;
  virtual std::unique_ptr<LabelPort> addLabel(const ChildPlacement& placement) = 0;
  virtual std::unique_ptr<ProgressBarPort> addProgressBar(const ChildPlacement& placement) = 0;
  virtual std::unique_ptr<ImagePort> addImage(const ChildPlacement& placement) = 0;
  virtual std::unique_ptr<ShapePort> addShape(const ChildPlacement& placement) = 0;
  virtual MessageBoxPort& messageBox() = 0;
};

// A site that shows nothing and closes every box at once: for controls whose host has no face
// for them (yet).
UiSite& nullUiSite();

}  // namespace hv
