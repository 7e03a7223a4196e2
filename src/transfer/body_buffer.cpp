#include "transfer/body_buffer.h"

#include <algorithm>
#include <cstring>

namespace hv {

void BodyBuffer::append(const char* data, std::size_t count) {
  if (end_ + count > storage_.size()) {
    if (begin_ > 0) {
      std::memmove(storage_.data(), storage_.data() + begin_, size());
      end_ -= begin_;
      begin_ = 0;
    }
    if (end_ + count > storage_.size())
      storage_.resize(std::max(end_ + count, storage_.size() * 2));
  }
  std::memcpy(storage_.data() + end_, data, count);
  end_ += count;
}

std::vector<std::uint8_t> BodyBuffer::take(std::size_t count) {
  count = std::min(count, size());
  const auto first = storage_.begin() + static_cast<long>(begin_);
  std::vector<std::uint8_t> bytes(first, first + static_cast<long>(count));
  begin_ += count;
  if (begin_ == end_)
    begin_ = end_ = 0;
  return bytes;
}

void BodyBuffer::release() {
  storage_ = {};
  begin_ = end_ = 0;
}

}  // namespace hv
