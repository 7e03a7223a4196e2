#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_listener.h"
#include "support/pattern_bytes.h"

namespace hv::testing {

// What the server sends for one path: exact bytes, optionally dripped, then how it ends.
struct Reply {
  enum class Then {
    Close,  // orderly close after the bytes
    Reset,  // abortive close (RST) after the bytes
    Stall,  // keep the connection open, silent, until the server stops
  };
  std::string bytes;
  std::size_t dripBytes = 0;  // 0: everything at once
  std::chrono::milliseconds dripPause{0};
  Then then = Then::Close;
  std::size_t dripFrom = 0;  // the bytes before this offset go at once, before any drip
};

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

// Ready-made replies.
Reply okReply(const std::string& body);  // exact Content-Length
Reply replyWithLength(const std::string& body, const std::string& contentLength);
Reply replyWithoutLength(const std::string& body);  // ends by closing
// A 200 whose header block is `headerLines` (each ending in CR LF), then `body` as given.
Reply replyWithHeaders(const std::string& headerLines, const std::string& body);
Reply statusReply(int code, const std::string& reason);
Reply redirectReply(const std::string& location);
Reply chunkedReply(const std::string& body, std::size_t chunkSize);
// `body` in chunked framing, without the last chunk that would end it.
std::string chunks(const std::string& body, std::size_t chunkSize);
// The length of the header block `reply` starts with, its blank line included.
std::size_t headLength(const Reply& reply);

}  // namespace hv::testing
