#include "support/http_reply.h"

#include <cstdio>

namespace hv::testing {
namespace {

std::string head(int code, const std::string& reason, const std::string& headers) {
  return "HTTP/1.1 " + std::to_string(code) + " " + reason + "\r\n" + headers +
         "Connection: close\r\n\r\n";
}

}  // namespace

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
