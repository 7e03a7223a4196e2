#include "win32/win32_ui_site.h"

#include <string>

#include "win32/win32_panel_children.h"
#include "win32/win32_window_messages.h"

namespace hv {
namespace {

// The class runs the system's own window procedure, so no code of ours runs in a window
// callback, and a class left registered after the module is unloaded points at nothing of it.
bool registerParkingClass(HINSTANCE module) {
  WNDCLASSEXW parking{};
  parking.cbSize = sizeof parking;
  parking.lpfnWndProc = DefWindowProcW;
  parking.hInstance = module;
  parking.lpszClassName = kParkingWindowClass;
  return RegisterClassExW(&parking) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND makeParkingWindow() {
  const HINSTANCE module = portsModule();
  if (!registerParkingClass(module))
    return nullptr;
  return CreateWindowExW(0, kParkingWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module,
                         nullptr);
}

}  // namespace

void Win32MessageBox::showCritical(TextView text, std::optional<TextView> title) {
  const std::wstring body(text.begin(), text.end());
  const std::wstring caption = title ? std::wstring(title->begin(), title->end()) : L"";
  const HWND owner = owner_ != nullptr && IsWindow(owner_) ? owner_ : GetActiveWindow();
  MessageBoxW(owner, body.c_str(), title ? caption.c_str() : nullptr, MB_OK | MB_ICONERROR);
}

Win32UiSite::~Win32UiSite() {
  if (parking_ != nullptr)
    DestroyWindow(parking_);
}

HWND Win32UiSite::parent() {
  if (!tried_) {
    tried_ = true;
    parking_ = makeParkingWindow();
  }
  return parking_;
}

std::unique_ptr<LabelPort> Win32UiSite::addLabel(const ChildPlacement& placement) {
  return std::make_unique<Win32Label>(parent(), placement);
}

std::unique_ptr<ProgressBarPort> Win32UiSite::addProgressBar(const ChildPlacement& placement) {
  return std::make_unique<Win32ProgressBar>(parent(), placement);
}

std::unique_ptr<ImagePort> Win32UiSite::addImage(const ChildPlacement& placement) {
  return std::make_unique<Win32Image>(parent(), placement);
}

std::unique_ptr<ShapePort> Win32UiSite::addShape(const ChildPlacement& placement) {
  return std::make_unique<Win32Shape>(parent(), placement);
}

}  // namespace hv
