#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hv {

// A command line read the way Windows reads it: the program to start, and the arguments that
// program's C runtime hands to its main.
struct CommandLineWords {
  std::string program;
  std::vector<std::string> arguments;
};

// The program is the name at the start: a quoted one runs to the next quote with no escapes, an
// unquoted one to the first blank or tab. The arguments begin where the C runtime's own reading
// of that name ends and are split as it splits them: blanks and tabs outside quotes separate,
// quotes group and vanish, 2n backslashes before a quote give n and the quote groups, 2n+1 give n
// and a literal quote, "" inside quotes is a literal quote, other backslashes are literal.
CommandLineWords splitWindowsCommandLine(std::string_view line);

}  // namespace hv
