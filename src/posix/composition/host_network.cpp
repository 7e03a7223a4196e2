#include "posix/composition/host_network.h"

#include "download/site_domain.h"
#include "runtime/script_error.h"
#include "transfer/connect_to_entry.h"

namespace hv {

// Redirects may only lead where a download may start.
HostNetwork::HostNetwork(const HostOptions& options)
    : transfers(loop, CurlTransferSettings{options.connectTo, isInsideSiteDomain}) {}

void checkConnectTo(const std::string& entry) {
  ConnectToEntry::parse(entry);
}

}  // namespace hv
