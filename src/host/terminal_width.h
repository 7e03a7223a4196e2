#pragma once

#include <string>

namespace hv {

// The columns of the terminal on `fd`, or 0 when it is no terminal or does not say.
int terminalColumns(int fd);

// `line` (UTF-8, without its line break) cut to fit a terminal of `columns` columns with the last
// column left free, so that the terminal never wraps it and a redraw in place still counts its
// rows. Escape sequences take no column; every other character is counted as one. No cut when
// `columns` is 0.
std::string fittedLine(const std::string& line, int columns);

}  // namespace hv
