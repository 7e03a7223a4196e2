#pragma once

#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <string_view>

#include "messaging/frame_reader.h"

namespace hv {

// The frame that carries `message`; text that is not UTF-8 goes out replaced, never refused.
std::string frameOf(const nlohmann::json& message);

// The longest message a browser takes from a host: it drops the connection on a longer one.
inline constexpr std::size_t kLongestOutgoingMessage = 1024 * 1024;

// A request's id as answers echo it: a string id is cut to its first 256 bytes (whole UTF-8
// characters), so that no page can have its own id make an answer too long to be sent.
nlohmann::json echoedId(const nlohmann::json& id);

// The browser's end of the connection, whatever carries its bytes: what arrives is cut into
// messages, what is sent goes out as whole frames. Ends when input ends or breaks its framing
// (answered with an error first), or when the browser no longer reads.
class FrameConnection {
 public:
  // Writes a frame whole; false when the reader has gone.
  using Write = std::function<bool(std::string_view frame)>;
  using OnMessage = std::function<void(const std::string& message)>;
  using OnEnd = std::function<void()>;

  // `onEnd` runs once when the connection ends, wherever the loop was pumped from.
  FrameConnection(Write write, OnMessage onMessage, OnEnd onEnd);
  FrameConnection(const FrameConnection&) = delete;
  FrameConnection& operator=(const FrameConnection&) = delete;

  // A message too long for the browser goes out as an error answer to the same id instead.
  void send(const nlohmann::json& message);
  void received(std::span<const std::uint8_t> bytes);
  void inputEnded();
  bool ended() const { return ended_; }

 private:
  void end();
  void sendInputError(const std::string& description);

  Write write_;
  OnMessage onMessage_;
  OnEnd onEnd_;
  FrameReader reader_;
  bool ended_ = false;
};

}  // namespace hv
