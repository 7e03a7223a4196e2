#include "host/host_platform.h"

#include "host/event_log_sink.h"
#include "host/registry_location.h"
#include "platform/posix/posix_code_page.h"

namespace hv {

HostPlatform::HostPlatform(const HostOptions& options)
    : registryStore_(registryLocation(options)),
      eventLog_(makeEventLog(options)),
      network_(options),
      platform_{registry_,     *eventLog_,         tempFolder_,    clock_,
                network_.loop, network_.transfers, network_.files, observedProcesses_} {
  selectAnsiCodePage(kPosixCodePage);
}

}  // namespace hv
