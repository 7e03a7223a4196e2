#include "com/control_window.h"

#include <algorithm>
#include <cmath>

#include "com/panel_painter.h"
#include "win32/win32_panel_children.h"
#include "win32/win32_window_messages.h"

namespace hv {
namespace {

constexpr const wchar_t* kControlWindowClass = L"HVDetectorControl";

// The class points at this module's code: it is registered while a window of it lives and
// unregistered with the last one, so that nothing of it outlives an unloaded module.
SRWLOCK classLock = SRWLOCK_INIT;
int liveWindows = 0;

class ClassLockHeld {
 public:
  ClassLockHeld() { AcquireSRWLockExclusive(&classLock); }
  ~ClassLockHeld() { ReleaseSRWLockExclusive(&classLock); }
  ClassLockHeld(const ClassLockHeld&) = delete;
  ClassLockHeld& operator=(const ClassLockHeld&) = delete;
};

bool holdClass(WNDPROC procedure) {
  const ClassLockHeld held;
  if (liveWindows == 0) {
    WNDCLASSEXW control{};
    control.cbSize = sizeof control;
    control.style = CS_HREDRAW | CS_VREDRAW;
    control.lpfnWndProc = procedure;
    control.hInstance = portsModule();
    control.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    control.lpszClassName = kControlWindowClass;
    if (RegisterClassExW(&control) == 0)
      return false;
  }
  ++liveWindows;
  return true;
}

void releaseClass() {
  const ClassLockHeld held;
  if (--liveWindows == 0)
    UnregisterClassW(kControlWindowClass, portsModule());
}

}  // namespace

ControlWindow::ControlWindow(HWND parent, const RECT& position, const UserControlLayout& layout,
                             HWND parking)
    : layout_(layout), parking_(parking) {
  if (!holdClass(&ControlWindow::procedure))
    return;
  window_ = CreateWindowExW(0, kControlWindowClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE,
                            position.left, position.top, position.right - position.left,
                            position.bottom - position.top, parent, nullptr, portsModule(), this);
  if (window_ == nullptr) {
    releaseClass();
    return;
  }
  for (HWND child = parking_ != nullptr ? GetWindow(parking_, GW_CHILD) : nullptr;
       child != nullptr;) {
    const HWND next = GetWindow(child, GW_HWNDNEXT);
    moved_.push_back({child, (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0});
    SetParent(child, window_);
    child = next;
  }
  placeChildren();
}

ControlWindow::~ControlWindow() {
  if (window_ == nullptr)
    return;
  parkChildren();
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  releaseClass();
}

// Back to the parking window: when this window goes, and before that when a container destroys
// its own window with this one in it, which would take the children with it.
void ControlWindow::parkChildren() {
  for (const auto& child : moved_) {
    if (IsWindow(child.window)) {
      SetParent(child.window, parking_);
      ShowWindow(child.window, child.wasVisible ? SW_SHOWNA : SW_HIDE);
    }
  }
  moved_.clear();
}

void ControlWindow::place(const RECT& position, const RECT& clip) {
  if (window_ == nullptr)
    return;
  MoveWindow(window_, position.left, position.top, position.right - position.left,
             position.bottom - position.top, TRUE);
  // Only the part the container lets show is drawn, in the window's own coordinates.
  RECT visible;
  if (IntersectRect(&visible, &position, &clip)) {
    OffsetRect(&visible, -position.left, -position.top);
    SetWindowRgn(window_, CreateRectRgnIndirect(&visible), TRUE);
  }
  placeChildren();
}

// Children keep their places on the design surface, at the window's scale; only the bar is a
// window on screen, the rest the panel draws.
void ControlWindow::placeChildren() {
  RECT client{};
  GetClientRect(window_, &client);
  const double x = static_cast<double>(client.right) / std::max(layout_.designWidth, 1);
  const double y = static_cast<double>(client.bottom) / std::max(layout_.designHeight, 1);
  for (const auto& moved : moved_) {
    const LayoutChild* child = layout_.find(childName(moved.window));
    if (child == nullptr)
      continue;
    const bool onScreen = child->progId == kProgressBarProgId && moved.wasVisible;
    SetWindowPos(moved.window, nullptr, static_cast<int>(std::lround(child->rect.left * x)),
                 static_cast<int>(std::lround(child->rect.top * y)),
                 static_cast<int>(std::lround(child->rect.width * x)),
                 static_cast<int>(std::lround(child->rect.height * y)),
                 SWP_NOZORDER | SWP_NOACTIVATE | (onScreen ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  }
  InvalidateRect(window_, nullptr, FALSE);
}

// Drawn off screen first, so that a repaint during a download never flickers.
void ControlWindow::paint() {
  PAINTSTRUCT painting;
  const HDC dc = BeginPaint(window_, &painting);
  RECT client{};
  GetClientRect(window_, &client);
  const HDC memory = CreateCompatibleDC(dc);
  const HBITMAP surface = CreateCompatibleBitmap(dc, client.right, client.bottom);
  if (memory != nullptr && surface != nullptr) {
    const HGDIOBJ previous = SelectObject(memory, surface);
    paintPanel(memory, client, {layout_, window_, true});
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
  }
  if (surface != nullptr)
    DeleteObject(surface);
  if (memory != nullptr)
    DeleteDC(memory);
  EndPaint(window_, &painting);
}

LRESULT CALLBACK ControlWindow::procedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
  try {
    if (message == WM_NCCREATE) {
      const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<ControlWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_PAINT) {
      self->window_ = window;
      self->paint();
      return 0;
    }
    if (self != nullptr && message == WM_DESTROY)
      self->parkChildren();
    if (message == WM_ERASEBKGND)
      return 1;  // the paint covers every pixel
  } catch (...) {
    // A window procedure has no way to report a failure; the window stays as it was drawn.
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace hv
