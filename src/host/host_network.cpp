#include "host/host_network.h"

#include "download/site_domain.h"
#include "platform/connect_to_entry.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// Redirects may only lead where a download may start.
bool insideSiteDomain(const std::string& url) {
  try {
    return passesHostTest(fromUtf8(url));
  } catch (const ScriptError&) {
    return false;
  }
}

}  // namespace

HostNetwork::HostNetwork(const HostOptions& options)
    : transfers(loop, CurlTransferSettings{options.connectTo, insideSiteDomain}) {}

void checkConnectTo(const std::string& entry) {
  ConnectToEntry::parse(entry);
}

}  // namespace hv
