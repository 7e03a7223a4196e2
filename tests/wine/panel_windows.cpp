#include "panel_windows.h"

#include "win32/win32_panel_children.h"
#include "win32/win32_ui_site.h"

namespace hv::client {

std::vector<HWND> parkingWindows() {
  std::vector<HWND> found;
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, kParkingWindowClass, nullptr); window;
       window = FindWindowExW(HWND_MESSAGE, window, kParkingWindowClass, nullptr))
    found.push_back(window);
  return found;
}

std::vector<HWND> childWindows(HWND parent) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    found.push_back(child);
  return found;
}

HWND childNamed(HWND parent, const std::string& name) {
  for (HWND child : childWindows(parent)) {
    if (childName(child) == name)
      return child;
  }
  return nullptr;
}

std::string childName(HWND child) {
  wchar_t name[64] = {};
  const auto atom =
      static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(GetPropW(child, kChildNameProperty)));
  const UINT length = atom ? GetAtomNameW(atom, name, 64) : 0;
  return std::string(name, name + length);
}

std::string windowText(HWND window) {
  wchar_t text[256] = {};
  const int length = GetWindowTextW(window, text, 256);
  return std::string(text, text + length);
}

std::string className(HWND window) {
  wchar_t name[64] = {};
  const int length = GetClassNameW(window, name, 64);
  return std::string(name, name + length);
}

long colorOf(HWND window, const wchar_t* property) {
  const auto value = reinterpret_cast<std::uintptr_t>(GetPropW(window, property));
  return value & kColorSetMark ? static_cast<long>(value & 0xFFFFFF) : -1;
}

}  // namespace hv::client
