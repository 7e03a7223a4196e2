#pragma once

#include "platform/file_service_port.h"

namespace hv {

// Numbered files on Windows file handles. The numbers belong to the calling thread, as the rest
// of the module's state does: the controls are apartment-threaded, and two apartments sharing one
// table would take each other's numbers.
class Win32FileService : public FileServicePort {
 public:
  std::int16_t freeFileNumber() override;
  void open(std::int16_t number, TextView path, FileOpenMode mode) override;
  void seek(std::int16_t number, std::int64_t position) override;
  void write(std::int16_t number, std::span<const std::uint8_t> bytes) override;
  void close(std::int16_t number) override;
  void remove(TextView path) override;
};

}  // namespace hv
