#pragma once

#include <windows.h>

#include <vector>

#include "control/control_layout.h"

namespace hv {

// The window a control shows itself in while a container has it active in place: a child of the
// container's window, drawn from the layout by the panel painter. The control's child windows
// move in from their parking window for as long as it lives, placed at the window's scale; the
// progress bar shows as itself, the other children are drawn by the panel from their state.
class ControlWindow {
 public:
  ControlWindow(HWND parent, const RECT& position, const UserControlLayout& layout, HWND parking);
  ~ControlWindow();
  ControlWindow(const ControlWindow&) = delete;
  ControlWindow& operator=(const ControlWindow&) = delete;

  // Null when the window could not be made.
  HWND handle() const { return window_; }
  void place(const RECT& position, const RECT& clip);

 private:
  struct Moved {
    HWND window;
    bool wasVisible;
  };

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept;
  void paint();
  void placeChildren();
  void parkChildren();

  const UserControlLayout& layout_;
  HWND parking_;
  HWND window_ = nullptr;
  std::vector<Moved> moved_;
};

}  // namespace hv
