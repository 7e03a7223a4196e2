#include "win32/win32_panel_children.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "platform/panel_ports.h"

namespace hv {
namespace {

std::wstring wideText(TextView text) {
  return std::wstring(text.begin(), text.end());
}

int pixels(std::int32_t twips) {
  return static_cast<int>(std::lround(twipsToPixels(twips)));
}

// A whole number for the progress bar's messages, however large or strange the value.
int wholeNumber(float value) {
  if (std::isnan(value))
    return 0;
  return static_cast<int>(
      std::lround(std::clamp<double>(value, static_cast<double>(INT_MIN), INT_MAX)));
}

// The parent for a progress bar, once the common controls have registered its class; none when
// they cannot.
HWND withProgressClass(HWND parent) {
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  return parent != nullptr && InitCommonControlsEx(&classes) ? parent : nullptr;
}

ATOM nameAtom(std::string_view name) {
  const std::wstring wide(name.begin(), name.end());
  return wide.empty() ? 0 : AddAtomW(wide.c_str());
}

}  // namespace

ChildWindow::ChildWindow(HWND parent, const wchar_t* windowClass, DWORD style,
                         const ChildPlacement& placement) {
  if (parent == nullptr)
    return;
  const DWORD shown = placement.visible ? WS_VISIBLE : 0;
  window_ = CreateWindowExW(0, windowClass, L"", WS_CHILD | shown | style, pixels(placement.left),
                            pixels(placement.top), pixels(placement.width),
                            pixels(placement.height), parent, nullptr, nullptr, nullptr);
  name_ = nameAtom(placement.name);
  if (name_ != 0)
    setProperty(kChildNameProperty, name_);
}

ChildWindow::~ChildWindow() {
  if (window_ != nullptr) {
    for (const wchar_t* name : properties_)
      RemovePropW(window_, name);
    DestroyWindow(window_);
  }
  if (name_ != 0)
    DeleteAtom(name_);
}

std::string childName(HWND window) {
  const auto atom =
      static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(GetPropW(window, kChildNameProperty)));
  wchar_t name[64] = {};
  const UINT length = atom != 0 ? GetAtomNameW(atom, name, 64) : 0;
  return std::string(name, name + length);
}

void ChildWindow::repaintParent() const {
  if (window_ != nullptr)
    InvalidateRect(GetParent(window_), nullptr, FALSE);
}

LRESULT ChildWindow::send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return window_ != nullptr ? SendMessageW(window_, message, wParam, lParam) : 0;
}

void ChildWindow::setProperty(const wchar_t* name, std::uintptr_t value) {
  if (window_ == nullptr)
    return;
  if (std::find(properties_.begin(), properties_.end(), name) == properties_.end())
    properties_.push_back(name);
  SetPropW(window_, name, reinterpret_cast<HANDLE>(value));
}

Win32Label::Win32Label(HWND parent, const ChildPlacement& placement)
    : window_(parent, L"STATIC", SS_LEFT | SS_NOPREFIX, placement) {}

Win32Label::OwnedFont::~OwnedFont() {
  if (handle != nullptr)
    DeleteObject(handle);
}

void Win32Label::setCaption(TextView caption) {
  if (window_.handle() != nullptr)
    SetWindowTextW(window_.handle(), wideText(caption).c_str());
  window_.repaintParent();
}

void Win32Label::setForeColor(RgbColor color) {
  foreColor_ = color;
  window_.setProperty(kForeColorProperty, color | kColorSetMark);
  window_.repaintParent();
}

void Win32Label::setBackColor(RgbColor color) {
  backColor_ = color;
  window_.setProperty(kBackColorProperty, color | kColorSetMark);
}

// Sized at the layout's own scale, 20 twips to the point.
void Win32Label::setFont(TextView name, double points, bool bold) {
  const int height = -static_cast<int>(std::lround(points * 20 / kTwipsPerPixel));
  HFONT made = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, wideText(name).c_str());
  if (made == nullptr)
    return;
  window_.send(WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  if (font_.handle != nullptr)
    DeleteObject(font_.handle);
  font_.handle = made;
}

Win32ProgressBar::Win32ProgressBar(HWND parent, const ChildPlacement& placement)
    : window_(withProgressClass(parent), PROGRESS_CLASSW, 0, placement) {}

void Win32ProgressBar::show(float min, float max, float value) {
  const int low = wholeNumber(min);
  const int high = std::max(low, wholeNumber(max));
  position_ = std::clamp(wholeNumber(value), low, high);
  window_.send(PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
  window_.send(PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

Win32Image::Win32Image(HWND parent, const ChildPlacement& placement)
    : window_(parent, L"STATIC", 0, placement) {}

void Win32Image::setPicture(std::span<const std::uint8_t> imageFile) {
  picture_.assign(imageFile.begin(), imageFile.end());
}

Win32Shape::Win32Shape(HWND parent, const ChildPlacement& placement)
    : window_(parent, L"STATIC", SS_BLACKFRAME, placement) {}

void Win32Shape::setStyle(std::uint8_t first, std::int16_t second) {
  style_ = std::make_pair(first, second);
}

}  // namespace hv
