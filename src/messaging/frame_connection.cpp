#include "messaging/frame_connection.h"

#include "runtime/script_error.h"

namespace hv {

std::string frameOf(const nlohmann::json& message) {
  return encodeFrame(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

FrameConnection::FrameConnection(Write write, OnMessage onMessage, OnEnd onEnd)
    : write_(std::move(write)), onMessage_(std::move(onMessage)), onEnd_(std::move(onEnd)) {}

void FrameConnection::send(const nlohmann::json& message) {
  // A browser that stopped reading has gone: nobody is left to answer.
  if (!ended_ && !write_(frameOf(message)))
    end();
}

void FrameConnection::end() {
  if (ended_)
    return;
  ended_ = true;
  onEnd_();
}

void FrameConnection::sendInputError(const std::string& description) {
  send({{"type", "error"},
        {"id", nullptr},
        {"number", runtime_error::kInvalidProcedureCall},
        {"description", description},
        {"source", "HVDetector"}});
}

void FrameConnection::inputEnded() {
  if (ended_)
    return;
  if (reader_.endsInsideFrame())
    sendInputError("the input ended inside a frame");
  end();
}

void FrameConnection::received(std::span<const std::uint8_t> bytes) {
  if (ended_)
    return;
  reader_.feed(bytes);
  // A message may pump the loop and come back here: each frame is taken before it is handled.
  while (!ended_) {
    auto frame = reader_.next();
    if (!frame)
      break;
    onMessage_(*frame);
  }
  if (reader_.fault() == FrameReader::Fault::TooLong && !ended_) {
    sendInputError("a frame of " + std::to_string(reader_.refusedLength()) +
                   " bytes is longer than the " + std::to_string(FrameReader::kDefaultLimit) +
                   " the host takes");
    end();
  }
}

}  // namespace hv
