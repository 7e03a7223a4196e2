#pragma once

#include <string>
#include <vector>

namespace hv {

// The native-messaging host: serves one page's Base over frames on `input` and `output` until
// the browser closes the connection. `args` are the program's arguments after its name, as the
// browser passes them. Returns the exit status: 0 when the connection ended, 1 when the caller
// or the page was refused.
int runMessagingHost(const std::vector<std::string>& args, int input, int output);

}  // namespace hv
