#pragma once

#include <array>

#include "platform/file_service_port.h"

namespace hv {

// Numbered files on Windows file handles.
class Win32FileService : public FileServicePort {
 public:
  Win32FileService();
  ~Win32FileService() override;
  Win32FileService(const Win32FileService&) = delete;
  Win32FileService& operator=(const Win32FileService&) = delete;

  std::int16_t freeFileNumber() override;
  void open(std::int16_t number, TextView path, FileOpenMode mode) override;
  void seek(std::int16_t number, std::int64_t position) override;
  void write(std::int16_t number, std::span<const std::uint8_t> bytes) override;
  void close(std::int16_t number) override;

 private:
  static constexpr int kMaxFiles = 255;
  void* handleOf(std::int16_t number);

  std::array<void*, kMaxFiles + 1> handles_;
};

}  // namespace hv
