#include "support/loopback_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace hv::testing {
namespace {

constexpr auto kRequestWait = std::chrono::milliseconds(5000);

void sendAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0)
      return;  // the client went away; nothing more to say
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

std::string requestTarget(const std::string& head) {
  const auto first = head.find(' ');
  const auto second = head.find(' ', first + 1);
  if (first == std::string::npos || second == std::string::npos)
    return {};
  return head.substr(first + 1, second - first - 1);
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer() {
  thread_ = std::thread([this] { serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  listener_.wake();
  thread_.join();
}

void LoopbackHttpServer::route(const std::string& path, Reply reply) {
  std::lock_guard lock(mutex_);
  routes_[path] = std::make_shared<const Reply>(std::move(reply));
}

std::vector<std::string> LoopbackHttpServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackHttpServer::serve() {
  for (;;) {
    pollfd fds[2] = {{listener_.socket(), POLLIN, 0}, {listener_.wakeFd(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0)
      continue;
    if (fds[1].revents != 0)
      return;
    const int connection = ::accept4(listener_.socket(), nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0)
      continue;
    answer(connection);
  }
}

void LoopbackHttpServer::answer(int connection) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    pollfd fds[2] = {{connection, POLLIN, 0}, {listener_.wakeFd(), POLLIN, 0}};
    if (::poll(fds, 2, static_cast<int>(kRequestWait.count())) <= 0 || fds[1].revents != 0)
      break;
    const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0)
      break;
    request.append(buffer, static_cast<std::size_t>(n));
  }
  const std::string target = requestTarget(request);
  std::shared_ptr<const Reply> routed;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(target);
    if (const auto found = routes_.find(target); found != routes_.end())
      routed = found->second;
  }
  static const Reply notFound = statusReply(404, "Not Found");
  const Reply& reply = routed ? *routed : notFound;
  const std::string_view bytes = reply.bytes;
  const std::size_t first = std::min(reply.dripFrom, bytes.size());
  sendAll(connection, bytes.data(), first);
  const std::size_t step = reply.dripBytes == 0 ? bytes.size() : reply.dripBytes;
  for (std::size_t at = first; at < bytes.size(); at += step) {
    if (at > 0 && waitForStop(reply.dripPause))
      break;
    sendAll(connection, bytes.data() + at, std::min(step, bytes.size() - at));
  }
  if (reply.then == Reply::Then::Stall)
    waitForStop(std::chrono::hours(1));
  if (reply.then == Reply::Then::Reset) {
    const linger abort{1, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  } else {
    ::shutdown(connection, SHUT_WR);
  }
  ::close(connection);
}

bool LoopbackHttpServer::waitForStop(std::chrono::milliseconds limit) {
  pollfd wake{listener_.wakeFd(), POLLIN, 0};
  return ::poll(&wake, 1, static_cast<int>(limit.count())) > 0;
}

}  // namespace hv::testing
