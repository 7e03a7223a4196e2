#include "win32/win32_transfer_notices.h"

#include <atomic>
#include <stdexcept>

#include "win32/win32_window_messages.h"

namespace hv {
namespace {

constexpr const wchar_t* kWindowClass = L"HVDetectorTransferNotices";

// A plain pointer: a thread-local object with a destructor would have the runtime pin the module
// and let it go again from the module's own code as the thread ends, after which that code may
// be gone. The notices go with their last receiver instead.
thread_local TransferNotices* threadNotices = nullptr;

}  // namespace

TransferNotices& TransferNotices::ofThisThread() {
  if (threadNotices == nullptr)
    threadNotices = new TransferNotices;
  return *threadNotices;
}

WPARAM TransferNotices::add(NoticeReceiver& receiver) {
  if (window_ == nullptr)
    createWindow();
  static std::atomic<WPARAM> nextKey{1};
  const WPARAM key = nextKey++;
  receivers_[key] = &receiver;
  return key;
}

void TransferNotices::remove(WPARAM key) {
  stopTimer(key);
  receivers_.erase(key);
  if (!receivers_.empty())
    return;
  destroyWindow();
  if (threadNotices == this)
    threadNotices = nullptr;
  delete this;
}

void TransferNotices::startTimer(WPARAM key, std::uint32_t milliseconds) {
  if (window_ != nullptr)
    SetTimer(window_, key, milliseconds, nullptr);
}

void TransferNotices::stopTimer(WPARAM key) {
  if (window_ != nullptr)
    KillTimer(window_, key);
}

NoticeReceiver* TransferNotices::receiverFor(WPARAM key) const {
  const auto found = receivers_.find(key);
  return found == receivers_.end() ? nullptr : found->second;
}

// The class is registered while some thread has a window, so that a module unloaded between
// downloads leaves no class behind that names its code.
void TransferNotices::createWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &TransferNotices::windowProcedure;
  windowClass.hInstance = portsModule();
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error("the transfer notice window class cannot be registered");
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            portsModule(), nullptr);
  if (window_ == nullptr)
    throw std::runtime_error("the transfer notice window cannot be created");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TransferNotices::destroyWindow() {
  if (window_ == nullptr)
    return;
  DestroyWindow(window_);
  window_ = nullptr;
  UnregisterClassW(kWindowClass, portsModule());  // fails while another thread has a window
}

// A receiver may be destroyed by what it runs, so nothing here touches it afterwards; and no
// exception may cross back into the system's dispatch.
LRESULT CALLBACK TransferNotices::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  auto* notices = reinterpret_cast<TransferNotices*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (notices == nullptr || (message != kNoticeMessage && message != WM_TIMER))
    return DefWindowProcW(window, message, wParam, lParam);
  try {
    NoticeReceiver* receiver = notices->receiverFor(wParam);
    if (receiver == nullptr)
      return 0;
    if (message == WM_TIMER) {
      notices->stopTimer(wParam);
      receiver->onTimer();
    } else {
      receiver->onNotice(lParam);
    }
  } catch (...) {
  }
  return 0;
}

}  // namespace hv
