#pragma once

#include <windows.h>

#include <cstdint>
#include <map>

namespace hv {

// What a transfer hears from its thread's notice window.
class NoticeReceiver {
 public:
  virtual ~NoticeReceiver() = default;
  // A worker's notice, with the value it posted.
  virtual void onNotice(LPARAM value) = 0;
  virtual void onTimer() = 0;
};

// A hidden message-only window per thread. Workers post to it and the thread's own message pump
// dispatches, so a transfer hears about its request on the thread that owns it and only between
// messages, never from inside one of its own calls. The window lives while the thread has
// receivers; each receiver has a key of its own, never used again in the process, so a notice
// that arrives for a receiver that is gone finds nobody.
class TransferNotices {
 public:
  // Made for the thread's first receiver and gone with its last: a thread that ends with none
  // leaves nothing for the thread's exit to destroy.
  static TransferNotices& ofThisThread();

  // The key `receiver` is reached by; the window exists from here on.
  WPARAM add(NoticeReceiver& receiver);
  // Removing the last key destroys these notices.
  void remove(WPARAM key);

  // Where a worker posts: PostMessageW(window, kNoticeMessage, key, value).
  HWND window() const { return window_; }
  static constexpr UINT kNoticeMessage = WM_APP + 0x4856;

  // One pending timer per key; starting it again restarts it.
  void startTimer(WPARAM key, std::uint32_t milliseconds);
  void stopTimer(WPARAM key);

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void createWindow();
  void destroyWindow();
  NoticeReceiver* receiverFor(WPARAM key) const;

  HWND window_ = nullptr;
  std::map<WPARAM, NoticeReceiver*> receivers_;
};

}  // namespace hv
