#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace hv {

// The hvdetector command line: options, then a command and its arguments. Returns the exit
// status: 0 success, 1 the command failed, 2 a usage mistake.
int runHost(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);

}  // namespace hv
