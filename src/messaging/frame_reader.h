#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hv {

// Frames of native messaging as they arrive on a byte stream: a 32-bit length in the machine's
// byte order, then that many bytes of message. Bytes may come in any pieces; a length over the
// limit is refused before anything of its body is kept, so a hostile length costs no memory.
class FrameReader {
 public:
  static constexpr std::uint32_t kDefaultLimit = 1024 * 1024;

  explicit FrameReader(std::uint32_t limit = kDefaultLimit) : limit_(limit) {}

  enum class Fault { None, TooLong };

  void feed(std::span<const std::uint8_t> bytes);
  // The next whole frame, if one has arrived. Nothing more comes once fault() is set.
  std::optional<std::string> next();
  Fault fault() const { return fault_; }
  // The length the refused frame announced.
  std::uint32_t refusedLength() const { return refusedLength_; }
  // Whether input ended inside a frame: its length, or fewer bytes than its length announced.
  bool endsInsideFrame() const { return !pending_.empty() || awaiting_.has_value(); }

 private:
  std::uint32_t limit_;
  std::vector<std::uint8_t> pending_;
  std::optional<std::uint32_t> awaiting_;  // the length of the frame being read
  Fault fault_ = Fault::None;
  std::uint32_t refusedLength_ = 0;
};

// The frame that carries `message`.
std::string encodeFrame(std::string_view message);

}  // namespace hv
