#include "messaging/posix/frame_channel.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "runtime/script_error.h"

namespace hv {

FrameChannel::FrameChannel(EventLoop& loop, int input, int output, OnMessage onMessage, OnEnd onEnd)
    : loop_(loop),
      input_(input),
      output_(output),
      onMessage_(std::move(onMessage)),
      onEnd_(std::move(onEnd)) {
  loop_.watch(input_, EventLoop::kReadable, [this](unsigned) { readable(); });
}

FrameChannel::~FrameChannel() {
  loop_.unwatch(input_);
}

bool writeFrame(int output, const nlohmann::json& message) {
  const std::string frame =
      encodeFrame(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
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

void FrameChannel::send(const nlohmann::json& message) {
  // A browser that stopped reading has gone: nobody is left to answer.
  if (!ended_ && !writeFrame(output_, message))
    end();
}

void FrameChannel::end() {
  if (ended_)
    return;
  ended_ = true;
  loop_.unwatch(input_);
  onEnd_();
}

void FrameChannel::readable() {
  if (ended_)
    return;
  std::uint8_t buffer[64 * 1024];
  const ssize_t n = ::read(input_, buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN))
    return;
  if (n <= 0) {
    if (reader_.endsInsideFrame())
      send({{"type", "error"},
            {"id", nullptr},
            {"number", runtime_error::kInvalidProcedureCall},
            {"description", "the input ended inside a frame"},
            {"source", "HVDetector"}});
    end();
    return;
  }
  reader_.feed({buffer, static_cast<std::size_t>(n)});
  // A message may pump the loop and come back here: each frame is taken before it is handled.
  while (!ended_) {
    auto frame = reader_.next();
    if (!frame)
      break;
    onMessage_(*frame);
  }
  if (reader_.fault() == FrameReader::Fault::TooLong && !ended_) {
    send({{"type", "error"},
          {"id", nullptr},
          {"number", runtime_error::kInvalidProcedureCall},
          {"description", "a frame of " + std::to_string(reader_.refusedLength()) +
                              " bytes is longer than the " +
                              std::to_string(FrameReader::kDefaultLimit) + " the host takes"},
          {"source", "HVDetector"}});
    end();
  }
}

}  // namespace hv
