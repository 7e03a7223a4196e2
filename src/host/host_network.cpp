#include "host/host_network.h"

#include "download/site_domain.h"
#include "platform/connect_to_entry.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// Redirects may only lead where a download may start.
bool insideSiteDomain(const std::string& url) {
  return isInsideSiteDomain(fromUtf8(url));
}

}  // namespace

HostNetwork::HostNetwork(const HostOptions& options)
    : transfers(loop, CurlTransferSettings{options.connectTo, insideSiteDomain}) {}

void checkConnectTo(const std::string& entry) {
  ConnectToEntry::parse(entry);
}

}  // namespace hv
