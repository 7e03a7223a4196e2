#pragma once

#include <windows.h>

#include <vector>

#include "message_boxes.h"

namespace hv::client {

// A thread of the client that reads every message box this process opens and presses OK, as the
// user would; the module's boxes are modal, so the thread that opened one waits in it until then.
class BoxWatcher {
 public:
  BoxWatcher();
  ~BoxWatcher();
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;

  // The boxes closed since the last call, in the order they opened.
  std::vector<SeenBox> take();

 private:
  static DWORD WINAPI watch(void* self);

  CRITICAL_SECTION lock_;
  std::vector<SeenBox> seen_;
  HANDLE stop_;
  HANDLE thread_ = nullptr;
};

}  // namespace hv::client
