#pragma once

#include <iosfwd>
#include <thread>

#include "messaging/page_bound_processes.h"

namespace hv {

// Watches the input the browser writes frames to: once the browser has closed it, the page has
// gone, and the host ends at once with status 0 after a line on `err`. Nothing is read from the
// input, so the frames in it stay for the loop when the wait ends first.
class InputHangupWatch : public PageGoneWatch {
 public:
  InputHangupWatch(int input, std::ostream& err) : input_(input), err_(err) {}
  ~InputHangupWatch() override { stop(); }
  InputHangupWatch(const InputHangupWatch&) = delete;
  InputHangupWatch& operator=(const InputHangupWatch&) = delete;

  void start() override;
  void stop() override;

 private:
  void watch(int stopSignal);

  int input_;
  std::ostream& err_;
  int stopPipe_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace hv
