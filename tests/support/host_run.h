#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "host/cli.h"

namespace hv::testing {

struct HostRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the hvdetector command line in-process with `args` after the program name.
inline HostRun runHostWith(std::vector<std::string> args) {
  args.insert(args.begin(), "hvdetector");
  std::ostringstream out, err;
  const int status = runHost(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace hv::testing
