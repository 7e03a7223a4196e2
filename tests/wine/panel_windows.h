#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hv::client {

// A control's panel as the system shows it: the parking windows of the live controls, and each
// child as its layout names it.
std::vector<HWND> parkingWindows();
std::vector<HWND> childWindows(HWND parent);
// The child of that layout name, or null.
HWND childNamed(HWND parent, const std::string& name);
std::string childName(HWND child);
std::string windowText(HWND window);
std::string className(HWND window);
// The colour a label was given through `property`, or -1 when none was.
long colorOf(HWND window, const wchar_t* property);

}  // namespace hv::client
