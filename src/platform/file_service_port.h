#pragma once

#include <cstdint>
#include <span>

#include "runtime/text.h"

namespace hv {

// How a file number is opened.
enum class FileOpenMode {
  BinaryWrite,  // created when absent, never emptied
  TextOutput,   // created, or emptied when present
  CreateNew,    // created for writing; an existing file is the "File already exists" error
};

// The runtime's numbered files. Numbers run from 1 to 255; every failure is thrown as the
// runtime's file error (52 bad name or number, 55 already open, 57, 58 exists, 61 disk full,
// 67 too many files, 70, 75 access, 76 path not found).
class FileServicePort {
 public:
  virtual ~FileServicePort() = default;

  // The lowest number not in use; it stays free until opened.
  virtual std::int16_t freeFileNumber() = 0;
  virtual void open(std::int16_t number, TextView path, FileOpenMode mode) = 0;
  // Positions are 1-based, as the runtime counts them.
  virtual void seek(std::int16_t number, std::int64_t position) = 0;
  virtual void write(std::int16_t number, std::span<const std::uint8_t> bytes) = 0;
  // Closing a number that is not open does nothing.
  virtual void close(std::int16_t number) = 0;
  // Deletes the closed file at `path`, as the runtime's Kill does.
  virtual void remove(TextView path) = 0;
};

}  // namespace hv
