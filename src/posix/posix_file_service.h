#pragma once

#include <vector>

#include "platform/file_service_port.h"
#include "runtime/file_numbers.h"

namespace hv {

// Numbered files on POSIX descriptors. Writes are gathered in a small buffer per file, as the
// runtime's own file output is, so a stream of 4096-byte chunks costs few system calls; the
// buffer goes out on seek and close, and a failure to write surfaces there at the latest.
class PosixFileService : public FileServicePort {
 public:
  ~PosixFileService() override;

  std::int16_t freeFileNumber() override;
  void open(std::int16_t number, TextView path, FileOpenMode mode) override;
  void seek(std::int16_t number, std::int64_t position) override;
  void write(std::int16_t number, std::span<const std::uint8_t> bytes) override;
  void close(std::int16_t number) override;
  void remove(TextView path) override;

 private:
  struct OpenFile {
    int fd = -1;
    std::vector<std::uint8_t> pending;
    // A file created new is a download being written: an interrupted host removes it.
    int cleanupTicket = -1;
    bool isOpen() const { return fd >= 0; }
  };
  void flush(OpenFile& file);

  FileNumbers<OpenFile> files_;
};

}  // namespace hv
