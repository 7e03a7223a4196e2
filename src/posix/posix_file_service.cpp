#include "posix/posix_file_service.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <utility>

#include "posix/exit_cleanup.h"
#include "posix/posix_code_page.h"
#include "posix/system_errors.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr std::size_t kWriteBuffer = 64 * 1024;

[[noreturn]] void throwFileError(int systemError) {
  throw runtimeError(runtimeErrorFor(systemError, SystemRequest::File));
}

int openFlags(FileOpenMode mode) {
  switch (mode) {
    case FileOpenMode::BinaryWrite:
      return O_WRONLY | O_CREAT;
    case FileOpenMode::TextOutput:
      return O_WRONLY | O_CREAT | O_TRUNC;
    case FileOpenMode::CreateNew:
      return O_WRONLY | O_CREAT | O_EXCL;
  }
  return O_WRONLY;
}

void writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throwFileError(errno);
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

}  // namespace

PosixFileService::~PosixFileService() {
  for (auto& file : files_.slots()) {
    if (file.fd >= 0)
      ::close(file.fd);
    exit_cleanup::forgetFile(file.cleanupTicket);
  }
}

std::int16_t PosixFileService::freeFileNumber() {
  return files_.freeNumber();
}

void PosixFileService::open(std::int16_t number, TextView path, FileOpenMode mode) {
  OpenFile& file = files_.slotToOpen(number);
  const std::string name = toAnsi(path, kPosixCodePage);
  if (name.empty() || name.find('\0') != std::string::npos)
    throw runtimeError(runtime_error::kBadFileNameOrNumber);
  const int fd = ::open(name.c_str(), openFlags(mode) | O_CLOEXEC, 0666);
  if (fd < 0)
    throwFileError(errno);
  file.fd = fd;
  file.pending.reserve(kWriteBuffer);
  if (mode == FileOpenMode::CreateNew)
    file.cleanupTicket = exit_cleanup::noteUnfinishedFile(name);
}

void PosixFileService::seek(std::int16_t number, std::int64_t position) {
  OpenFile& file = files_.openFile(number);
  if (position < 1)
    throw runtimeError(runtime_error::kInvalidProcedureCall);
  flush(file);
  if (::lseek(file.fd, static_cast<off_t>(position - 1), SEEK_SET) < 0)
    throwFileError(errno);
}

void PosixFileService::write(std::int16_t number, std::span<const std::uint8_t> bytes) {
  OpenFile& file = files_.openFile(number);
  if (file.pending.size() + bytes.size() > kWriteBuffer)
    flush(file);
  if (bytes.size() >= kWriteBuffer) {
    writeAll(file.fd, bytes.data(), bytes.size());
    return;
  }
  file.pending.insert(file.pending.end(), bytes.begin(), bytes.end());
}

// The descriptor is released even when the last bytes cannot be written; the failure is still
// reported.
void PosixFileService::close(std::int16_t number) {
  OpenFile* found = files_.find(number);
  if (!found)
    return;
  OpenFile& file = *found;
  std::optional<ScriptError> failure;
  try {
    flush(file);
  } catch (const ScriptError& e) {
    failure = e;
  }
  if (::close(file.fd) != 0 && !failure && errno != EINTR)
    failure = runtimeError(runtimeErrorFor(errno, SystemRequest::File));
  exit_cleanup::forgetFile(std::exchange(file.cleanupTicket, -1));
  file.fd = -1;
  file.pending = {};
  if (failure)
    throw *failure;
}

void PosixFileService::remove(TextView path) {
  const std::string name = toAnsi(path, kPosixCodePage);
  if (name.empty() || name.find('\0') != std::string::npos)
    throw runtimeError(runtime_error::kBadFileNameOrNumber);
  if (::unlink(name.c_str()) != 0)
    throwFileError(errno);
}

void PosixFileService::flush(OpenFile& file) {
  if (file.pending.empty())
    return;
  // Whatever happens, these bytes are not tried again.
  std::vector<std::uint8_t> pending;
  pending.reserve(kWriteBuffer);
  pending.swap(file.pending);
  writeAll(file.fd, pending.data(), pending.size());
}

}  // namespace hv
