#include "win32/win32_file_service.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

#include "runtime/script_error.h"

namespace hv {
namespace {

// The runtime's file error for a system error code.
std::int32_t fileErrorFor(DWORD systemError) {
  using namespace runtime_error;
  switch (systemError) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return kFileAlreadyExists;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return kPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return kPathFileAccessError;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return kPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kDiskFull;
    case ERROR_TOO_MANY_OPEN_FILES:
      return kTooManyFiles;
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_HANDLE:
      return kBadFileNameOrNumber;
    default:
      return kDeviceIoError;
  }
}

[[noreturn]] void throwLastFileError() {
  throw runtimeError(fileErrorFor(GetLastError()));
}

constexpr std::int16_t kMaxFiles = 255;
using HandleTable = std::array<HANDLE, kMaxFiles + 1>;

// Nothing to destroy at thread exit: a thread-local destructor would outlive an unloaded module.
// Every control closes its own file when it goes.
HandleTable& threadHandles() {
  thread_local HandleTable handles = [] {
    HandleTable table;
    table.fill(INVALID_HANDLE_VALUE);
    return table;
  }();
  return handles;
}

bool validNumber(std::int16_t number) {
  return number >= 1 && number <= kMaxFiles;
}

HANDLE& slot(std::int16_t number) {
  return threadHandles()[static_cast<std::size_t>(number)];
}

HANDLE handleOf(std::int16_t number) {
  if (!validNumber(number) || slot(number) == INVALID_HANDLE_VALUE)
    throw runtimeError(runtime_error::kBadFileNameOrNumber);
  return slot(number);
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
  for (std::int16_t number = 1; number <= kMaxFiles; ++number) {
    if (slot(number) == INVALID_HANDLE_VALUE)
      return number;
  }
  throw runtimeError(runtime_error::kTooManyFiles);
}

void Win32FileService::open(std::int16_t number, TextView path, FileOpenMode mode) {
  if (!validNumber(number))
    throw runtimeError(runtime_error::kBadFileNameOrNumber);
  HANDLE& handle = slot(number);
  if (handle != INVALID_HANDLE_VALUE)
    throw runtimeError(runtime_error::kFileAlreadyOpen);
  const std::wstring name(path.begin(), path.end());
  if (name.empty() || name.find(L'\0') != std::wstring::npos)
    throw runtimeError(runtime_error::kBadFileNameOrNumber);
  HANDLE opened = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              creationOf(mode), FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE)
    throwLastFileError();
  handle = opened;
}

void Win32FileService::seek(std::int16_t number, std::int64_t position) {
  HANDLE handle = handleOf(number);
  if (position < 1)
    throw runtimeError(runtime_error::kInvalidProcedureCall);
  LARGE_INTEGER offset;
  offset.QuadPart = position - 1;
  if (!SetFilePointerEx(handle, offset, nullptr, FILE_BEGIN))
    throwLastFileError();
}

void Win32FileService::write(std::int16_t number, std::span<const std::uint8_t> bytes) {
  HANDLE handle = handleOf(number);
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
  if (!validNumber(number))
    return;
  HANDLE& handle = slot(number);
  if (handle == INVALID_HANDLE_VALUE)
    return;
  const BOOL closed = CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
  if (!closed)
    throwLastFileError();
}

}  // namespace hv
