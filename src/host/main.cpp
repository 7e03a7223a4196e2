#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <string>
#include <vector>

#include "host/cli.h"
#include "host/descriptor_output.h"
#include "posix/exit_cleanup.h"

// An interrupt or hang-up removes the download files not yet complete and says which installer
// runs on, then ends the host by that signal.
// SIGPIPE keeps its default: a reader that goes away ends the host by that signal, a non-zero
// status like any other failure to deliver the output, and the processes the host starts inherit
// nothing unusual.
int main(int argc, char** argv) {
  hv::exit_cleanup::finishOnSignals("hvdetector");
  const bool outputClosed = hv::holdClosedStandardDescriptors();
  hv::DescriptorOutput standardOutput(STDOUT_FILENO, "standard output", outputClosed ? EBADF : 0);
  std::ostream out(&standardOutput);
  return hv::runHost(std::vector<std::string>(argv, argv + argc), out, std::cerr);
}
