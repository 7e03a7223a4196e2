// The shipped module's transfers: every request goes to the host its URL names, with the time-out
// it was given.
#include "win32/win32_transfer_hooks.h"

namespace hv {

ConnectTarget connectTargetFor(const std::wstring& host, unsigned port) {
  return {host, port, false};
}

std::int32_t requestTimeoutFor(std::int32_t seconds) {
  return seconds;
}

}  // namespace hv
