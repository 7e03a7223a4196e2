#pragma once

#include <cstdint>
#include <string>

namespace hv {

// What a transfer lets a test build change. The shipped module links the unit that changes
// nothing; a module built with test hooks links the one that reads the test's environment.

// Where a request for `host` on `port` connects. `mapped`: somewhere else than the host, with the
// URL's host kept as the request's Host header.
struct ConnectTarget {
  std::wstring host;
  unsigned port;
  bool mapped;
};
ConnectTarget connectTargetFor(const std::wstring& host, unsigned port);

// The request time-out in seconds that a transfer asked for `seconds` works with.
std::int32_t requestTimeoutFor(std::int32_t seconds);

}  // namespace hv
