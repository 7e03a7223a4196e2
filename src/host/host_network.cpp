#include "host/host_network.h"

#include <algorithm>
#include <stdexcept>

#include "download/site_domain.h"
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

// The host and address may be empty (any) and an IPv6 address sits in brackets, so only the
// shape is checked: four fields, the two ports numbers or empty.
void checkConnectTo(const std::string& entry) {
  std::vector<std::string> fields;
  std::string field;
  int brackets = 0;
  for (char c : entry) {
    brackets += c == '[' ? 1 : c == ']' ? -1 : 0;
    if (c == ':' && brackets == 0) {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(field);
  const auto isPort = [](const std::string& text) {
    return text.size() <= 5 &&
           std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
  };
  if (fields.size() != 4 || !isPort(fields[1]) || !isPort(fields[3]))
    throw std::invalid_argument("expected HOST:PORT:ADDR:PORT, got \"" + entry + "\"");
}

}  // namespace hv
