#pragma once

#include <windows.h>

#include <string>

namespace hv {

// WinINet's own text for one of its error numbers (or a system error number), without the line
// break the message table ends it with; the server's own words when WinINet says it has them.
// Call it on the thread that saw the failure.
std::string internetErrorText(DWORD error);

// Whether a failed read or request ran into the receive time-out.
bool isTimeout(DWORD error);

}  // namespace hv
