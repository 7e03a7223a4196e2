#pragma once

#include <windows.h>

#include <string>

namespace hv {

// The loaded module: its handle, recorded by the entry point, and the path it was loaded from.
void setModuleHandle(HMODULE module);
HMODULE moduleHandle();
std::wstring modulePath();

}  // namespace hv
