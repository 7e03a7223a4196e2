#include "support/loopback_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
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

std::string head(int code, const std::string& reason, const std::string& headers) {
  return "HTTP/1.1 " + std::to_string(code) + " " + reason + "\r\n" + headers +
         "Connection: close\r\n\r\n";
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

Reply okReply(const std::string& body) {
  return replyWithLength(body, std::to_string(body.size()));
}

Reply replyWithLength(const std::string& body, const std::string& contentLength) {
  return {head(200, "OK", "Content-Length: " + contentLength + "\r\n") + body};
}

Reply replyWithoutLength(const std::string& body) {
  return replyWithHeaders("", body);
}

Reply replyWithHeaders(const std::string& headerLines, const std::string& body) {
  return {head(200, "OK", headerLines) + body};
}

Reply statusReply(int code, const std::string& reason) {
  const std::string body = "<p>" + reason + "</p>";
  return {head(code, reason, "Content-Length: " + std::to_string(body.size()) + "\r\n") + body};
}

Reply redirectReply(const std::string& location) {
  return {head(302, "Found", "Location: " + location + "\r\nContent-Length: 0\r\n")};
}

Reply chunkedReply(const std::string& body, std::size_t chunkSize) {
  return replyWithHeaders("Transfer-Encoding: chunked\r\n", chunks(body, chunkSize) + "0\r\n\r\n");
}

std::string chunks(const std::string& body, std::size_t chunkSize) {
  std::string bytes;
  for (std::size_t at = 0; at < body.size(); at += chunkSize) {
    const std::string piece = body.substr(at, chunkSize);
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    bytes += size + piece + "\r\n";
  }
  return bytes;
}

std::size_t headLength(const Reply& reply) {
  const auto end = reply.bytes.find("\r\n\r\n");
  return end == std::string::npos ? reply.bytes.size() : end + 4;
}

}  // namespace hv::testing
