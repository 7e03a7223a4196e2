#include "messaging/frame_reader.h"

#include <cstring>

namespace hv {

void FrameReader::feed(std::span<const std::uint8_t> bytes) {
  if (fault_ == Fault::None)
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
}

std::optional<std::string> FrameReader::next() {
  if (fault_ != Fault::None)
    return std::nullopt;
  if (!awaiting_) {
    std::uint32_t length;
    if (pending_.size() < sizeof length)
      return std::nullopt;
    std::memcpy(&length, pending_.data(), sizeof length);
    pending_.erase(pending_.begin(), pending_.begin() + sizeof length);
    if (length > limit_) {
      fault_ = Fault::TooLong;
      refusedLength_ = length;
      pending_.clear();
      return std::nullopt;
    }
    awaiting_ = length;
  }
  if (pending_.size() < *awaiting_)
    return std::nullopt;
  std::string frame(pending_.begin(), pending_.begin() + *awaiting_);
  pending_.erase(pending_.begin(), pending_.begin() + *awaiting_);
  awaiting_.reset();
  return frame;
}

std::string encodeFrame(std::string_view message) {
  const auto length = static_cast<std::uint32_t>(message.size());
  std::string frame(sizeof length, '\0');
  std::memcpy(frame.data(), &length, sizeof length);
  return frame.append(message);
}

}  // namespace hv
