#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "messaging/frame_reader.h"
#include "posix/event_loop.h"

namespace hv {

// Writes `message` whole as one frame; false when the reader has gone.
bool writeFrame(int output, const nlohmann::json& message);

// The browser's end of the connection: frames read from `input` as the loop finds them readable,
// frames written whole to `output`. Ends when input ends or breaks its framing (answered with an
// error first), or when the browser no longer reads.
class FrameChannel {
 public:
  using OnMessage = std::function<void(const std::string& message)>;
  using OnEnd = std::function<void()>;

  // `onEnd` runs once when the connection ends, wherever the loop was pumped from.
  FrameChannel(EventLoop& loop, int input, int output, OnMessage onMessage, OnEnd onEnd);
  ~FrameChannel();
  FrameChannel(const FrameChannel&) = delete;
  FrameChannel& operator=(const FrameChannel&) = delete;

  void send(const nlohmann::json& message);
  bool ended() const { return ended_; }

 private:
  void readable();
  void end();

  EventLoop& loop_;
  int input_;
  int output_;
  OnMessage onMessage_;
  OnEnd onEnd_;
  FrameReader reader_;
  bool ended_ = false;
};

}  // namespace hv
