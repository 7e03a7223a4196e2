#pragma once

namespace hv {

// What every command's exit status means; the manual page lists the same table.
enum ExitStatus : int {
  kExitSuccess = 0,
  kExitFlowFailure = 1,  // the flow's own failure: an error box, a failed download or install
  kExitUsage = 2,        // the command line itself is wrong
  kExitEnvironment = 3,  // the registry store or temporary folder cannot be used
};

}  // namespace hv
