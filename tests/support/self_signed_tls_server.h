#pragma once

#include <cstdint>
#include <thread>

#include "support/loopback_listener.h"

namespace hv::testing {

// A TLS listener on 127.0.0.1 (port chosen by the system) that presents a certificate it signed
// itself, for "localhost" and 127.0.0.1, and serves one fixed HTTP response to whoever trusts it.
// Nobody should: it stands for a server impersonating the vendor's site.
class SelfSignedTlsServer {
 public:
  SelfSignedTlsServer();
  ~SelfSignedTlsServer();
  SelfSignedTlsServer(const SelfSignedTlsServer&) = delete;
  SelfSignedTlsServer& operator=(const SelfSignedTlsServer&) = delete;

  std::uint16_t port() const { return listener_.port(); }

 private:
  void serve();

  LoopbackListener listener_{4};
  void* context_ = nullptr;  // SSL_CTX
  std::thread thread_;
};

}  // namespace hv::testing
