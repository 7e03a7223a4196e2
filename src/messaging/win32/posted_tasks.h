#pragma once

#include <windows.h>

#include <deque>
#include <functional>

namespace hv {

// Tasks run on the thread that made the queue, each as a window message, so that they run
// wherever that thread pumps: in the host's loop and inside a transfer's pump alike. Any thread
// may post; once the queue is closed, what is posted is dropped.
class PostedTasks {
 public:
  using Task = std::function<void()>;

  PostedTasks();
  ~PostedTasks();
  PostedTasks(const PostedTasks&) = delete;
  PostedTasks& operator=(const PostedTasks&) = delete;

  void post(Task task);
  // On the queue's own thread.
  void close();

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void runNext();
  class Locked;

  // The system's lock: this compiler's standard library may have no threads of its own.
  SRWLOCK lock_ = SRWLOCK_INIT;
  std::deque<Task> tasks_;
  HWND window_ = nullptr;
};

}  // namespace hv
