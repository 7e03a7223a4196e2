#include "messaging/win32/input_reader.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace hv {
namespace {

// Either side may come first: the reader meets the end before the wait begins, or during it.
void endWhenBoth(const std::atomic<bool>& waiting, const std::atomic<bool>& ended) {
  if (!waiting || !ended)
    return;
  std::fputs(
      "messaging host: the page has gone while its installer runs: the host ends, the installer "
      "goes on\n",
      stderr);
  std::fflush(stderr);
  ExitProcess(0);
}

struct Reader {
  HANDLE input;
  std::shared_ptr<PostedTasks> tasks;
  std::shared_ptr<InputEndWatch> watch;
  std::function<void(std::span<const std::uint8_t>)> onBytes;
  std::function<void()> onEnd;
  HANDLE taken;
};

DWORD WINAPI readInput(void* parameter) {
  auto* reader = static_cast<Reader*>(parameter);
  for (;;) {
    auto piece = std::make_shared<std::vector<std::uint8_t>>(64 * 1024);
    DWORD read = 0;
    if (!ReadFile(reader->input, piece->data(), static_cast<DWORD>(piece->size()), &read,
                  nullptr) ||
        read == 0)
      break;
    piece->resize(read);
    reader->tasks->post([reader, piece] {
      SetEvent(reader->taken);
      reader->onBytes(*piece);
    });
    WaitForSingleObject(reader->taken, INFINITE);
  }
  reader->watch->inputEnded();
  reader->tasks->post(reader->onEnd);
  return 0;
}

}  // namespace

void InputEndWatch::start() {
  waiting_ = true;
  endWhenBoth(waiting_, ended_);
}

void InputEndWatch::inputEnded() {
  ended_ = true;
  endWhenBoth(waiting_, ended_);
}

void startInputReader(HANDLE input, std::shared_ptr<PostedTasks> tasks,
                      std::shared_ptr<InputEndWatch> watch,
                      std::function<void(std::span<const std::uint8_t>)> onBytes,
                      std::function<void()> onEnd) {
  auto* reader = new Reader{input,
                            std::move(tasks),
                            std::move(watch),
                            std::move(onBytes),
                            std::move(onEnd),
                            CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  HANDLE thread =
      reader->taken == nullptr ? nullptr : CreateThread(nullptr, 0, &readInput, reader, 0, nullptr);
  if (thread == nullptr)
    throw std::runtime_error("the input cannot be read: no thread for it");
  CloseHandle(thread);
}

}  // namespace hv
