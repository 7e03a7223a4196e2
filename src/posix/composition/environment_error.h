#pragma once

#include <stdexcept>

namespace hv {

// A command cannot run on this machine as it stands: the registry store is missing or
// malformed, or the temporary folder cannot take files. The host exits with its own status for
// it, so a script can tell a broken setup from a flow that failed.
class EnvironmentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace hv
