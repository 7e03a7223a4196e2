#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/http_reply.h"
#include "support/loopback_listener.h"

namespace hv::testing {

// A scripted HTTP server on 127.0.0.1, port chosen by the system. It serves one connection at a
// time from its own thread and stops, closing every connection, when destroyed.
class LoopbackHttpServer {
 public:
  LoopbackHttpServer();
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  std::uint16_t port() const { return listener_.port(); }

  // Replies to requests for `path` (the request target as sent, query included). Unknown paths
  // get a 404.
  void route(const std::string& path, Reply reply);

  // Request targets in the order they arrived.
  std::vector<std::string> requests() const;

 private:
  void serve();
  void answer(int connection);
  bool waitForStop(std::chrono::milliseconds limit);  // true when asked to stop

  LoopbackListener listener_{16};
  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<const Reply>> routes_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace hv::testing
