#include "messaging/frame_connection.h"

#include "runtime/script_error.h"

namespace hv {
namespace {

// The host's own error answer, as page script reads the runtime's "invalid procedure call".
nlohmann::json errorMessage(const nlohmann::json& id, const std::string& description) {
  return {{"type", "error"},
          {"id", id},
          {"number", runtime_error::kInvalidProcedureCall},
          {"description", description},
          {"source", "HVDetector"}};
}

}  // namespace

std::string frameOf(const nlohmann::json& message) {
  return encodeFrame(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

nlohmann::json echoedId(const nlohmann::json& id) {
  constexpr std::size_t kLongestId = 256;
  if (!id.is_string() || id.get_ref<const std::string&>().size() <= kLongestId)
    return id;
  const auto& text = id.get_ref<const std::string&>();
  std::size_t end = kLongestId;
  // Back to the first byte of the character the cut would split.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
    --end;
  return text.substr(0, end);
}

FrameConnection::FrameConnection(Write write, OnMessage onMessage, OnEnd onEnd)
    : write_(std::move(write)), onMessage_(std::move(onMessage)), onEnd_(std::move(onEnd)) {}

void FrameConnection::send(const nlohmann::json& message) {
  if (ended_)
    return;
  std::string frame = frameOf(message);
  if (const std::size_t length = frame.size() - 4; length > kLongestOutgoingMessage) {
    const auto id = message.find("id");
    frame = frameOf(errorMessage(id == message.end() ? nullptr : echoedId(*id),
                                 "the answer of " + std::to_string(length) +
                                     " bytes is longer than the " +
                                     std::to_string(kLongestOutgoingMessage) + " a browser takes"));
  }
  // A browser that stopped reading has gone: nobody is left to answer.
  if (!write_(frame))
    end();
}

void FrameConnection::end() {
  if (ended_)
    return;
  ended_ = true;
  onEnd_();
}

void FrameConnection::sendInputError(const std::string& description) {
  send(errorMessage(nullptr, description));
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
