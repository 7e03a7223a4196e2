#include "host/host_platform.h"

#include <ostream>

#include "host/event_log_sink.h"
#include "host/registry_location.h"
#include "posix/posix_code_page.h"

namespace hv {

HostPlatform::HostPlatform(const CommandContext& context)
    : err_(context.err),
      registryStore_(registryLocation(context.options)),
      eventLog_(makeEventLog(context.options, context.err)),
      network_(context.options),
      platform_{registry_,     *eventLog_,         tempFolder_,    clock_,
                network_.loop, network_.transfers, network_.files, observedProcesses_} {
  selectAnsiCodePage(kPosixCodePage);
}

HostPlatform::~HostPlatform() {
  for (const auto& entry : network_.transfers.connectToRecord().unmatched())
    err_ << "hvdetector: --connect-to " << entry << " matched no request\n";
}

}  // namespace hv
