#pragma once

#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>

namespace hv::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kFreedMemoryIsHeld = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kFreedMemoryIsHeld = true;
#else
inline constexpr bool kFreedMemoryIsHeld = false;
#endif
#else
inline constexpr bool kFreedMemoryIsHeld = false;
#endif

// How far this process's resident memory rose above where it stood when the watch began: the
// kernel's peak is reset at the start, so earlier work in the same process does not hide a rise.
class PeakMemoryWatch {
 public:
  PeakMemoryWatch() {
    std::ofstream("/proc/self/clear_refs") << "5";
    start_ = statusKib("VmRSS:");
  }

  // Whether the rise says anything: the address sanitizer holds freed blocks back, so there a
  // stream of small buffers looks like growth.
  static constexpr bool meaningful() { return !kFreedMemoryIsHeld; }

  std::size_t riseBytes() const {
    const std::size_t peak = statusKib("VmHWM:");
    return peak > start_ ? (peak - start_) * 1024 : 0;
  }

 private:
  static std::size_t statusKib(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.starts_with(field))
        return std::stoul(line.substr(field.size()));
    }
    return 0;
  }

  std::size_t start_ = 0;
};

}  // namespace hv::testing
