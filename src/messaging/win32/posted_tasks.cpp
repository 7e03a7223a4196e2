#include "messaging/win32/posted_tasks.h"

#include <stdexcept>

namespace hv {
namespace {

constexpr const wchar_t* kWindowClass = L"HVDetectorMessagingTasks";
constexpr UINT kTaskMessage = WM_APP + 1;

}  // namespace

class PostedTasks::Locked {
 public:
  explicit Locked(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ~Locked() { ReleaseSRWLockExclusive(&lock_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  SRWLOCK& lock_;
};

PostedTasks::PostedTasks() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &PostedTasks::windowProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error("the task window class cannot be registered");
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            windowClass.hInstance, nullptr);
  if (window_ == nullptr)
    throw std::runtime_error("the task window cannot be created");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

PostedTasks::~PostedTasks() {
  close();
}

void PostedTasks::post(Task task) {
  const Locked locked(lock_);
  if (window_ == nullptr)
    return;
  tasks_.push_back(std::move(task));
  PostMessageW(window_, kTaskMessage, 0, 0);
}

void PostedTasks::close() {
  HWND window = nullptr;
  {
    const Locked locked(lock_);
    std::swap(window, window_);
    tasks_.clear();
  }
  if (window != nullptr)
    DestroyWindow(window);
}

// Each task is taken before it runs: one that pumps finds the next one waiting, in order.
void PostedTasks::runNext() {
  Task task;
  {
    const Locked locked(lock_);
    if (tasks_.empty())
      return;
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  task();
}

// No exception may cross back into the system's dispatch.
LRESULT CALLBACK PostedTasks::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  auto* tasks = reinterpret_cast<PostedTasks*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (tasks == nullptr || message != kTaskMessage)
    return DefWindowProcW(window, message, wParam, lParam);
  try {
    tasks->runNext();
  } catch (...) {
  }
  return 0;
}

}  // namespace hv
