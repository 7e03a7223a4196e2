#include "win32/win32_file_service.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "runtime/file_numbers.h"
#include "runtime/script_error.h"
#include "win32/win32_system_errors.h"

namespace hv {
namespace {

[[noreturn]] void throwLastFileError() {
  throw runtimeError(runtimeErrorFor(GetLastError(), SystemRequest::File));
}

struct FileHandle {
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }
};

// Nothing to destroy at thread exit: a thread-local destructor would outlive an unloaded module.
// Every control closes its own file when it goes.
FileNumbers<FileHandle>& threadFiles() {
  thread_local FileNumbers<FileHandle> files;
  return files;
}

DWORD creationOf(FileOpenMode mode) {
  switch (mode) {
    case FileOpenMode::BinaryWrite:
      return OPEN_ALWAYS;
    case FileOpenMode::TextOutput:
      return CREATE_ALWAYS;
    case FileOpenMode::CreateNew:
      return CREATE_NEW;
  }
  return OPEN_ALWAYS;
}

}  // namespace

std::int16_t Win32FileService::freeFileNumber() {
  return threadFiles().freeNumber();
}

void Win32FileService::open(std::int16_t number, TextView path, FileOpenMode mode) {
  FileHandle& file = threadFiles().slotToOpen(number);
  const std::wstring name(path.begin(), path.end());
  if (name.empty() || name.find(L'\0') != std::wstring::npos)
    throw runtimeError(runtime_error::kBadFileNameOrNumber);
  HANDLE opened = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              creationOf(mode), FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE)
    throwLastFileError();
  file.handle = opened;
}

void Win32FileService::seek(std::int16_t number, std::int64_t position) {
  HANDLE handle = threadFiles().openFile(number).handle;
  if (position < 1)
    throw runtimeError(runtime_error::kInvalidProcedureCall);
  LARGE_INTEGER offset;
  offset.QuadPart = position - 1;
  if (!SetFilePointerEx(handle, offset, nullptr, FILE_BEGIN))
    throwLastFileError();
}

void Win32FileService::write(std::int16_t number, std::span<const std::uint8_t> bytes) {
  HANDLE handle = threadFiles().openFile(number).handle;
  while (!bytes.empty()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), wanted, &written, nullptr))
      throwLastFileError();
    bytes = bytes.subspan(written);
  }
}

void Win32FileService::remove(TextView path) {
  const std::wstring name(path.begin(), path.end());
  if (name.empty() || name.find(L'\0') != std::wstring::npos)
    throw runtimeError(runtime_error::kBadFileNameOrNumber);
  if (!DeleteFileW(name.c_str()))
    throwLastFileError();
}

void Win32FileService::close(std::int16_t number) {
  FileHandle* file = threadFiles().find(number);
  if (!file)
    return;
  const BOOL closed = CloseHandle(std::exchange(file->handle, INVALID_HANDLE_VALUE));
  if (!closed)
    throwLastFileError();
}

}  // namespace hv
