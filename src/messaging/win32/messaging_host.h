#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace hv {

// The native-messaging host on Windows: serves one page's Base over frames on `input` and
// `output` until the browser closes the connection. `args` are the program's arguments after its
// name, as the browser passes them, in UTF-8. Returns the exit status: 0 when the connection
// ended, 1 when the caller or the page was refused.
int runMessagingHost(const std::vector<std::string>& args, HANDLE input, HANDLE output);

// Writes `frame` whole to `output`; false when the reader has gone.
bool writeAll(HANDLE output, std::string_view frame);

}  // namespace hv
