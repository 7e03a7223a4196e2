#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "messaging/win32/posted_tasks.h"

namespace hv {

// Reads `input` on a thread of its own, since a pipe's read blocks, and hands each piece to the
// tasks' thread: `onBytes` with what arrived, `onEnd` once when input ends or fails. The next
// read waits until the piece before has been taken, so a browser that writes faster than the
// host works costs no more memory than on a loop that reads when it turns. The thread keeps the
// tasks alive and lives as long as the process.
void startInputReader(HANDLE input, std::shared_ptr<PostedTasks> tasks,
                      std::function<void(std::span<const std::uint8_t>)> onBytes,
                      std::function<void()> onEnd);

}  // namespace hv
