#include "host/host_network.h"

#include "download/site_domain.h"
#include "platform/connect_to_entry.h"
#include "runtime/script_error.h"

namespace hv {

// Redirects may only lead where a download may start.
HostNetwork::HostNetwork(const HostOptions& options)
    : transfers(loop, CurlTransferSettings{options.connectTo, isInsideSiteDomain}) {}

void checkConnectTo(const std::string& entry) {
  ConnectToEntry::parse(entry);
}

}  // namespace hv
