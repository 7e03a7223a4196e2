#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "runtime/script_error.h"

namespace hv {

// The runtime's file numbers: 1 to 255, each naming at most one open file. `File` says whether
// it is open (`isOpen()`) and is closed when default-made. The table has no destructor of its
// own when `File` has none, so a thread-local table never runs code at thread exit.
template <class File>
class FileNumbers {
 public:
  static constexpr std::int16_t kLast = 255;

  // The lowest number with no file open; "Too many files" when every one has.
  std::int16_t freeNumber() const {
    for (std::int16_t number = 1; number <= kLast; ++number) {
      if (!files_[index(number)].isOpen())
        return number;
    }
    throw runtimeError(runtime_error::kTooManyFiles);
  }

  // Where a file is opened under `number`: "Bad file name or number" out of range, "File
  // already open" when it names an open file.
  File& slotToOpen(std::int16_t number) {
    if (!inRange(number))
      throw runtimeError(runtime_error::kBadFileNameOrNumber);
    File& file = files_[index(number)];
    if (file.isOpen())
      throw runtimeError(runtime_error::kFileAlreadyOpen);
    return file;
  }

  // The open file `number` names; "Bad file name or number" when it names none.
  File& openFile(std::int16_t number) {
    File* file = find(number);
    if (!file)
      throw runtimeError(runtime_error::kBadFileNameOrNumber);
    return *file;
  }

  // The open file `number` names, or null: closing a number that is not open does nothing.
  File* find(std::int16_t number) {
    if (!inRange(number) || !files_[index(number)].isOpen())
      return nullptr;
    return &files_[index(number)];
  }

  // Every slot, open or not, for a service closing what is left when it goes.
  auto& slots() { return files_; }

 private:
  static bool inRange(std::int16_t number) { return number >= 1 && number <= kLast; }
  static std::size_t index(std::int16_t number) { return static_cast<std::size_t>(number); }

  std::array<File, kLast + 1> files_{};
};

}  // namespace hv
