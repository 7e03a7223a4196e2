#include "messaging/posix/frame_channel.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace hv {

bool writeAll(int output, std::string_view frame) {
  for (std::size_t written = 0; written < frame.size();) {
    const ssize_t n = ::write(output, frame.data() + written, frame.size() - written);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

FrameChannel::FrameChannel(EventLoop& loop, int input, PageConnection& connection)
    : loop_(loop), input_(input), connection_(connection) {
  loop_.watch(input_, EventLoop::kReadable, [this](unsigned) { readable(); });
}

FrameChannel::~FrameChannel() {
  stop();
}

void FrameChannel::stop() {
  if (watching_)
    loop_.unwatch(input_);
  watching_ = false;
}

void FrameChannel::readable() {
  if (connection_.ended())
    return stop();
  std::uint8_t buffer[64 * 1024];
  const ssize_t n = ::read(input_, buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN))
    return;
  if (n <= 0) {
    stop();
    return connection_.inputEnded();
  }
  connection_.received({buffer, static_cast<std::size_t>(n)});
  if (connection_.ended())
    stop();
}

}  // namespace hv
