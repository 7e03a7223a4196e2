#include "win32/win32_system_errors.h"

#include "runtime/script_error.h"

namespace hv {
namespace {

using namespace runtime_error;

// Anything not listed is a device error to a file; to a start (not a program, a command line
// too long, ...) an invalid call.
constexpr SystemErrorRow<DWORD> kOther{0, kDeviceIoError, kInvalidProcedureCall};
constexpr SystemErrorRow<DWORD> kRows[] = {
    {ERROR_FILE_EXISTS, kFileAlreadyExists, kInvalidProcedureCall},
    {ERROR_ALREADY_EXISTS, kFileAlreadyExists, kInvalidProcedureCall},
    {ERROR_FILE_NOT_FOUND, kPathNotFound, kFileNotFound},
    {ERROR_PATH_NOT_FOUND, kPathNotFound, kPathNotFound},
    {ERROR_DIRECTORY, kDeviceIoError, kPathNotFound},
    {ERROR_ACCESS_DENIED, kPathFileAccessError, kPermissionDenied},
    {ERROR_WRITE_PROTECT, kPathFileAccessError, kInvalidProcedureCall},
    {ERROR_SHARING_VIOLATION, kPermissionDenied, kPermissionDenied},
    {ERROR_LOCK_VIOLATION, kPermissionDenied, kInvalidProcedureCall},
    {ERROR_DISK_FULL, kDiskFull, kInvalidProcedureCall},
    {ERROR_HANDLE_DISK_FULL, kDiskFull, kInvalidProcedureCall},
    {ERROR_TOO_MANY_OPEN_FILES, kTooManyFiles, kInvalidProcedureCall},
    {ERROR_INVALID_NAME, kBadFileNameOrNumber, kBadFileNameOrNumber},
    {ERROR_FILENAME_EXCED_RANGE, kBadFileNameOrNumber, kBadFileNameOrNumber},
    {ERROR_INVALID_HANDLE, kBadFileNameOrNumber, kInvalidProcedureCall},
    {ERROR_NOT_ENOUGH_MEMORY, kDeviceIoError, kOutOfMemory},
    {ERROR_OUTOFMEMORY, kDeviceIoError, kOutOfMemory},
};

}  // namespace

std::int32_t runtimeErrorFor(DWORD systemError, SystemRequest request) {
  return runtimeErrorIn<DWORD>(kRows, kOther, systemError, request);
}

}  // namespace hv
