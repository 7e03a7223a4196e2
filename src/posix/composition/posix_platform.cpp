#include "posix/composition/posix_platform.h"

#include <ostream>

#include "posix/composition/event_log_sink.h"
#include "posix/composition/installer_keys.h"
#include "posix/composition/registry_location.h"
#include "posix/posix_code_page.h"

namespace hv {

PosixPlatform::PosixPlatform(const HostOptions& options, std::ostream& err)
    : err_(err),
      registryStore_(registryLocation(options)),
      eventLog_(makeEventLog(options, err)),
      network_(options),
      installerTrust_(trustedInstallerKeys()),
      platform_{registry_,      *eventLog_,         tempFolder_,
                clock_,         network_.loop,      network_.transfers,
                network_.files, observedProcesses_, installerTrust_} {
  selectAnsiCodePage(kPosixCodePage);
}

PosixPlatform::~PosixPlatform() {
  for (const auto& entry : network_.transfers.connectToRecord().unmatched())
    err_ << "hvdetector: --connect-to " << entry << " matched no request\n";
}

}  // namespace hv
