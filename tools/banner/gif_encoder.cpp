#include "tools/banner/gif_encoder.h"

#include <array>
#include <bit>
#include <stdexcept>

namespace hv::banner {
namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kDictionaryLimit = 1 << kMaxCodeBits;

// Codes go out least significant bit first, packed into bytes.
class BitWriter {
 public:
  void put(int code, int bits) {
    pending_ |= static_cast<std::uint32_t>(code) << pendingBits_;
    pendingBits_ += bits;
    while (pendingBits_ >= 8) {
      bytes_.push_back(static_cast<std::uint8_t>(pending_));
      pending_ >>= 8;
      pendingBits_ -= 8;
    }
  }
  std::vector<std::uint8_t> finish() {
    if (pendingBits_ > 0)
      bytes_.push_back(static_cast<std::uint8_t>(pending_));
    pending_ = 0;
    pendingBits_ = 0;
    return std::move(bytes_);
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint32_t pending_ = 0;
  int pendingBits_ = 0;
};

// The string table as a trie: child code of (prefix code, next index), -1 when absent.
class StringTable {
 public:
  explicit StringTable(int minCodeSize)
      : clearCode_(1 << minCodeSize), children_(kDictionaryLimit) {
    reset();
  }
  int clearCode() const { return clearCode_; }
  int endCode() const { return clearCode_ + 1; }
  int nextCode() const { return next_; }
  bool full() const { return next_ == kDictionaryLimit; }

  void reset() {
    for (auto& c : children_)
      c.fill(-1);
    next_ = clearCode_ + 2;
  }
  int find(int prefix, std::uint8_t index) const { return children_[prefix][index]; }
  void add(int prefix, std::uint8_t index) { children_[prefix][index] = next_++; }

 private:
  int clearCode_;
  std::vector<std::array<std::int16_t, 256>> children_;
  int next_ = 0;
};

void put16(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void checkImage(const IndexedImage& image) {
  const std::size_t colours = image.palette.size();
  if (colours < 2 || colours > 256 || !std::has_single_bit(colours))
    throw std::invalid_argument("GIF palettes hold 2, 4, ... 256 colours");
  if (image.width < 1 || image.height < 1 || image.width > 0xFFFF || image.height > 0xFFFF)
    throw std::invalid_argument("GIF sizes are 1 to 65535 pixels");
  if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
    throw std::invalid_argument("pixel count does not match the size");
  for (std::uint8_t p : image.pixels) {
    if (p >= colours)
      throw std::invalid_argument("pixel index outside the palette");
  }
  if (image.transparentIndex && *image.transparentIndex >= colours)
    throw std::invalid_argument("transparent index outside the palette");
}

}  // namespace

std::vector<std::uint8_t> lzwCompress(const std::vector<std::uint8_t>& indices, int minCodeSize) {
  StringTable table(minCodeSize);
  BitWriter out;
  int codeBits = minCodeSize + 1;
  out.put(table.clearCode(), codeBits);
  if (indices.empty()) {
    out.put(table.endCode(), codeBits);
    return out.finish();
  }
  // The reader adds each string one code after the writer does, so the width grows once the
  // writer's next code has passed the current width's range.
  const auto grow = [&] {
    if (table.nextCode() > (1 << codeBits) && codeBits < kMaxCodeBits)
      ++codeBits;
  };
  int prefix = indices[0];
  for (std::size_t i = 1; i < indices.size(); ++i) {
    const std::uint8_t index = indices[i];
    const int extended = table.find(prefix, index);
    if (extended >= 0) {
      prefix = extended;
      continue;
    }
    out.put(prefix, codeBits);
    if (table.full()) {
      out.put(table.clearCode(), codeBits);
      table.reset();
      codeBits = minCodeSize + 1;
    } else {
      table.add(prefix, index);
      grow();
    }
    prefix = index;
  }
  out.put(prefix, codeBits);
  // The reader still adds a string for the last code before it reads the end code.
  if (!table.full()) {
    table.add(prefix, 0);
    grow();
  }
  out.put(table.endCode(), codeBits);
  return out.finish();
}

std::vector<std::uint8_t> encodeGif89a(const IndexedImage& image) {
  checkImage(image);
  const int colourBits = std::countr_zero(image.palette.size());
  std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
  put16(gif, image.width);
  put16(gif, image.height);
  // Global palette present, colour resolution and palette size both colourBits.
  gif.push_back(static_cast<std::uint8_t>(0x80 | (colourBits - 1) << 4 | (colourBits - 1)));
  gif.push_back(0);  // background colour index
  gif.push_back(0);  // square pixels
  for (const Rgb& c : image.palette)
    gif.insert(gif.end(), {c.r, c.g, c.b});
  if (image.transparentIndex) {
    gif.insert(gif.end(), {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, *image.transparentIndex, 0x00});
  }
  gif.push_back(0x2C);  // image descriptor: the whole screen, no local palette
  put16(gif, 0);
  put16(gif, 0);
  put16(gif, image.width);
  put16(gif, image.height);
  gif.push_back(0);
  // A code size of 1 is not allowed; two-colour images use 2.
  const int minCodeSize = colourBits < 2 ? 2 : colourBits;
  gif.push_back(static_cast<std::uint8_t>(minCodeSize));
  const std::vector<std::uint8_t> codes = lzwCompress(image.pixels, minCodeSize);
  for (std::size_t at = 0; at < codes.size(); at += 255) {
    const std::size_t size = std::min<std::size_t>(255, codes.size() - at);
    gif.push_back(static_cast<std::uint8_t>(size));
    gif.insert(gif.end(), codes.begin() + static_cast<long>(at),
               codes.begin() + static_cast<long>(at + size));
  }
  gif.push_back(0);     // end of the image data
  gif.push_back(0x3B);  // trailer
  return gif;
}

}  // namespace hv::banner
