#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "messaging/page_bound_processes.h"
#include "messaging/win32/posted_tasks.h"

namespace hv {

// The input's end as the reader meets it, for a host whose thread is blocked on an installer and
// takes no tasks: once the page has gone then, the host ends at once with status 0.
class InputEndWatch : public PageGoneWatch {
 public:
  void start() override;
  void stop() override { waiting_ = false; }
  // On the reader's thread.
  void inputEnded();

 private:
  std::atomic<bool> waiting_{false};
  std::atomic<bool> ended_{false};
};

// Reads `input` on a thread of its own, since a pipe's read blocks, and hands each piece to the
// tasks' thread: `onBytes` with what arrived, `onEnd` once when input ends or fails. The next
// read waits until the piece before has been taken, so a browser that writes faster than the
// host works costs no more memory than on a loop that reads when it turns. The thread keeps the
// tasks and the watch alive and lives as long as the process.
void startInputReader(HANDLE input, std::shared_ptr<PostedTasks> tasks,
                      std::shared_ptr<InputEndWatch> watch,
                      std::function<void(std::span<const std::uint8_t>)> onBytes,
                      std::function<void()> onEnd);

}  // namespace hv
