#pragma once

#include <cstdint>

namespace hv::testing {

// A listening socket on 127.0.0.1, port chosen by the system, with a wake pipe through which
// the owner tells its serving thread to stop. Both are closed when it goes.
class LoopbackListener {
 public:
  explicit LoopbackListener(int backlog);
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  int socket() const { return socket_; }
  int wakeFd() const { return wake_[0]; }
  std::uint16_t port() const { return port_; }

  // Makes wakeFd() readable for good: the serving thread's poll sees it and stops.
  void wake();

 private:
  void closeAll();

  int socket_ = -1;
  int wake_[2] = {-1, -1};
  std::uint16_t port_ = 0;
};

}  // namespace hv::testing
