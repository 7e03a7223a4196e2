#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hv {

// Body bytes between the network and their reader: appended at the back, taken from the front.
// Storage grows to the largest amount ever held and is reused, so a steady stream costs one copy
// in and one copy out.
class BodyBuffer {
 public:
  std::size_t size() const { return end_ - begin_; }
  void append(const char* data, std::size_t count);
  std::vector<std::uint8_t> take(std::size_t count);
  // Drops the bytes and gives the memory back.
  void release();

 private:
  std::vector<std::uint8_t> storage_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace hv
