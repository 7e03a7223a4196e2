#pragma once

#include <windows.h>

#include "platform/message_box_port.h"
#include "platform/ui_site.h"

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

// The window class of the parking windows, registered by the module that holds this code.
inline constexpr const wchar_t* kParkingWindowClass = L"HVDetectorParking";

// One control's face on Windows. Its children are real child windows of a hidden, message-only
// parking window of its own, made when the first child is added (a control without children
// makes no window), where they wait for the window the control is shown in. When no window can
// be made (no display), the children keep their state and nothing fails.
//
// Windows belong to the thread that made them: the site is made, used and destroyed on its
// control's apartment thread.
class Win32UiSite : public UiSite {
 public:
  Win32UiSite() = default;
  ~Win32UiSite() override;
  Win32UiSite(const Win32UiSite&) = delete;
  Win32UiSite& operator=(const Win32UiSite&) = delete;

  std::unique_ptr<LabelPort> addLabel(const ChildPlacement& placement) override;
  std::unique_ptr<ProgressBarPort> addProgressBar(const ChildPlacement& placement) override;
  std::unique_ptr<ImagePort> addImage(const ChildPlacement& placement) override;
  std::unique_ptr<ShapePort> addShape(const ChildPlacement& placement) override;
  MessageBoxPort& messageBox() override { return box_; }

  // Null until a child was added, or when no window could be made.
  HWND parkingWindow() const { return parking_; }
  // The window the control shows in while a container has it active, null when none: its
  // boxes belong to it.
  void showIn(HWND window) { box_.ownBy(window); }

 private:
  HWND parent();

  bool tried_ = false;
  HWND parking_ = nullptr;
  Win32MessageBox box_;
};

}  // namespace hv
