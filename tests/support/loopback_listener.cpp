#include "support/loopback_listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace hv::testing {

LoopbackListener::LoopbackListener(int backlog) {
  socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(socket_, backlog) != 0 ||
      ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      ::pipe2(wake_, O_CLOEXEC) != 0) {
    closeAll();
    throw std::runtime_error("loopback test server could not start");
  }
  port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
  closeAll();
}

void LoopbackListener::closeAll() {
  for (int* fd : {&socket_, &wake_[0], &wake_[1]}) {
    if (*fd >= 0)
      ::close(*fd);
    *fd = -1;
  }
}

void LoopbackListener::wake() {
  const char stop = 's';
  (void)!::write(wake_[1], &stop, 1);
}

}  // namespace hv::testing
