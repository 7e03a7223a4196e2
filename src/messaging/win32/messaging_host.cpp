#include "messaging/win32/messaging_host.h"

#include <iostream>
#include <memory>

#include "messaging/page_bound_processes.h"
#include "messaging/page_connection.h"
#include "messaging/win32/input_reader.h"
#include "messaging/win32/posted_tasks.h"
#include "win32/composition/win32_platform.h"

namespace hv {

bool writeAll(HANDLE output, std::string_view frame) {
  for (std::size_t written = 0; written < frame.size();) {
    DWORD n = 0;
    if (!WriteFile(output, frame.data() + written, static_cast<DWORD>(frame.size() - written), &n,
                   nullptr) ||
        n == 0)
      return false;
    written += n;
  }
  return true;
}

int runMessagingHost(const std::vector<std::string>& args, HANDLE input, HANDLE output) {
  const auto write = [output](std::string_view frame) { return writeAll(output, frame); };
  if (!admitCaller(args, write, std::cerr))
    return 1;
  auto tasks = std::make_shared<PostedTasks>();
  auto pageGone = std::make_shared<InputEndWatch>();
  PageBoundProcesses processes(win32Platform().processes, *pageGone);
  Platform platform = withProcesses(win32Platform(), processes);
  // The system's registry is always there to be read: what it lacks, Base says itself.
  PageConnection connection({platform, write,
                             [tasks](std::function<void()> task) { tasks->post(std::move(task)); },
                             [] {}, std::cerr});
  startInputReader(
      input, tasks, pageGone,
      [&](std::span<const std::uint8_t> bytes) { connection.received(bytes); },
      [&] { connection.inputEnded(); });
  MSG message;
  while (!connection.ended() && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // Nothing the reader still hands over may reach the connection once it is gone.
  tasks->close();
  return connection.exitStatus();
}

}  // namespace hv
