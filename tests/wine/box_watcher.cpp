#include "box_watcher.h"

namespace hv::client {

BoxWatcher::BoxWatcher() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  InitializeCriticalSection(&lock_);
  thread_ = CreateThread(nullptr, 0, watch, this, 0, nullptr);
}

BoxWatcher::~BoxWatcher() {
  SetEvent(stop_);
  WaitForSingleObject(thread_, 10000);  // a poll takes milliseconds
  CloseHandle(thread_);
  CloseHandle(stop_);
  DeleteCriticalSection(&lock_);
}

std::vector<SeenBox> BoxWatcher::take() {
  EnterCriticalSection(&lock_);
  std::vector<SeenBox> boxes;
  boxes.swap(seen_);
  LeaveCriticalSection(&lock_);
  return boxes;
}

DWORD WINAPI BoxWatcher::watch(void* state) {
  auto& self = *static_cast<BoxWatcher*>(state);
  BoxPresser presser(GetCurrentProcessId());
  while (WaitForSingleObject(self.stop_, 10) == WAIT_TIMEOUT) {
    presser.pressOpenBoxes([&self](SeenBox box) {
      EnterCriticalSection(&self.lock_);
      self.seen_.push_back(std::move(box));
      LeaveCriticalSection(&self.lock_);
    });
  }
  return 0;
}

}  // namespace hv::client
