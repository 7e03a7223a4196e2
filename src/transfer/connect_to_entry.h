#pragma once

#include <optional>
#include <string>

namespace hv {

// One "HOST:PORT:ADDR:PORT" entry as libcurl's connect-to option takes it: requests for HOST
// (any host when empty; an IPv6 address in brackets) on PORT (any port when empty) go to ADDR on
// its PORT (the request's own port when empty).
struct ConnectToEntry {
  std::string host;
  std::optional<unsigned> port;
  std::string address;
  std::optional<unsigned> addressPort;

  // Throws std::invalid_argument saying what is wrong: not four fields, a port that is not 1 to
  // 65535, no address, or a blank or control character anywhere.
  static ConnectToEntry parse(const std::string& text);

  // Whether libcurl would send a request for this host and port here. `host` is as a URL
  // parser gives it (an IPv6 address in brackets); names compare without regard to ASCII case.
  bool matches(const std::string& requestHost, unsigned requestPort) const;
};

}  // namespace hv
