#include "support/gif_decoder.h"

#include <stdexcept>

namespace hv::testing {
namespace {

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint8_t byte() {
    if (at_ >= bytes_.size())
      throw std::runtime_error("GIF ends early at byte " + std::to_string(at_));
    return bytes_[at_++];
  }
  int le16() {
    const int low = byte();
    return low | byte() << 8;
  }
  std::vector<std::uint8_t> take(std::size_t n) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < n; ++i)
      out.push_back(byte());
    return out;
  }
  // The data sub-blocks up to their zero-length terminator, joined.
  std::vector<std::uint8_t> subBlocks() {
    std::vector<std::uint8_t> out;
    for (std::uint8_t size = byte(); size != 0; size = byte()) {
      const auto block = take(size);
      out.insert(out.end(), block.begin(), block.end());
    }
    return out;
  }
  bool atEnd() const { return at_ == bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

std::vector<std::uint8_t> lzwDecode(const std::vector<std::uint8_t>& data, int minCodeSize,
                                    std::size_t expected) {
  if (minCodeSize < 2 || minCodeSize > 8)
    throw std::runtime_error("LZW minimum code size " + std::to_string(minCodeSize));
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  std::vector<std::vector<std::uint8_t>> table;
  int codeBits = 0;
  const auto reset = [&] {
    table.assign(clear + 2, {});
    for (int i = 0; i < clear; ++i)
      table[i] = {static_cast<std::uint8_t>(i)};
    codeBits = minCodeSize + 1;
  };
  reset();
  std::size_t bit = 0;
  const auto nextCode = [&]() -> int {
    if (bit + codeBits > data.size() * 8)
      throw std::runtime_error("LZW data ends without an end code");
    int code = 0;
    for (int i = 0; i < codeBits; ++i, ++bit)
      code |= (data[bit / 8] >> (bit % 8) & 1) << i;
    return code;
  };
  std::vector<std::uint8_t> out;
  int previous = -1;
  if (nextCode() != clear)
    throw std::runtime_error("LZW data does not start with a clear code");
  for (int code = nextCode(); code != end; code = nextCode()) {
    if (code == clear) {
      reset();
      previous = -1;
      continue;
    }
    std::vector<std::uint8_t> entry;
    if (code < static_cast<int>(table.size()) && !table[code].empty()) {
      entry = table[code];
    } else if (code == static_cast<int>(table.size()) && previous >= 0) {
      entry = table[previous];
      entry.push_back(table[previous][0]);
    } else {
      throw std::runtime_error("LZW code " + std::to_string(code) + " outside the table");
    }
    if (previous >= 0 && table.size() < 4096) {
      auto added = table[previous];
      added.push_back(entry[0]);
      table.push_back(std::move(added));
      if (table.size() == (std::size_t{1} << codeBits) && codeBits < 12)
        ++codeBits;
    }
    out.insert(out.end(), entry.begin(), entry.end());
    if (out.size() > expected)
      throw std::runtime_error("LZW data holds more pixels than the image");
    previous = code;
  }
  if (out.size() != expected)
    throw std::runtime_error("LZW data holds " + std::to_string(out.size()) + " of " +
                             std::to_string(expected) + " pixels");
  return out;
}

}  // namespace

DecodedGif decodeGif(std::span<const std::uint8_t> bytes) {
  Reader in(bytes);
  const auto signature = in.take(6);
  if (std::string(signature.begin(), signature.end()) != "GIF89a")
    throw std::runtime_error("not a GIF89a");
  DecodedGif gif;
  gif.width = in.le16();
  gif.height = in.le16();
  const std::uint8_t screen = in.byte();
  if (!(screen & 0x80))
    throw std::runtime_error("no global palette");
  gif.paletteSize = 2 << (screen & 0x07);
  in.byte();  // background colour
  in.byte();  // aspect ratio
  gif.palette = in.take(3 * static_cast<std::size_t>(gif.paletteSize));
  for (std::uint8_t introducer = in.byte(); introducer != 0x2C; introducer = in.byte()) {
    if (introducer != 0x21)
      throw std::runtime_error("unexpected block " + std::to_string(introducer));
    const std::uint8_t label = in.byte();
    const auto body = in.subBlocks();
    if (label == 0xF9) {
      if (body.size() != 4)
        throw std::runtime_error("graphic control extension of the wrong size");
      if (body[0] & 0x01)
        gif.transparentIndex = body[3];
    }
  }
  const int left = in.le16(), top = in.le16(), width = in.le16(), height = in.le16();
  if (left != 0 || top != 0 || width != gif.width || height != gif.height)
    throw std::runtime_error("the frame does not cover the screen");
  if (in.byte() & 0xC0)
    throw std::runtime_error("local palette or interlacing");
  const int minCodeSize = in.byte();
  gif.indices = lzwDecode(in.subBlocks(), minCodeSize, static_cast<std::size_t>(width) * height);
  if (in.byte() != 0x3B || !in.atEnd())
    throw std::runtime_error("no trailer right after the image");
  return gif;
}

}  // namespace hv::testing
