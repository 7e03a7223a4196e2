#pragma once

#include <string_view>

#include "messaging/page_connection.h"
#include "posix/event_loop.h"

namespace hv {

// Writes `frame` whole to `output`; false when the reader has gone.
bool writeAll(int output, std::string_view frame);

// Hands what arrives on `input` to the page's connection as the loop finds it readable, until
// the input ends or the connection has.
class FrameChannel {
 public:
  FrameChannel(EventLoop& loop, int input, PageConnection& connection);
  ~FrameChannel();
  FrameChannel(const FrameChannel&) = delete;
  FrameChannel& operator=(const FrameChannel&) = delete;

 private:
  void readable();
  void stop();

  EventLoop& loop_;
  int input_;
  PageConnection& connection_;
  bool watching_ = true;
};

}  // namespace hv
