#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "support/pattern_bytes.h"

// What a loopback server sends, written as data; portable, so that the Windows client can name
// the replies the site serves it.
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
