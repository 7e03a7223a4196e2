#include "posix/system_errors.h"

#include <cerrno>

#include "runtime/script_error.h"

namespace hv {
namespace {

using namespace runtime_error;

// Anything not listed is a device error to a file; to a start (not a program, an argument list
// too long for the system, ...) an invalid call.
constexpr SystemErrorRow<int> kOther{0, kDeviceIoError, kInvalidProcedureCall};
constexpr SystemErrorRow<int> kRows[] = {
    {EEXIST, kFileAlreadyExists, kInvalidProcedureCall},
    {ENOENT, kPathNotFound, kFileNotFound},
    {ENOTDIR, kPathNotFound, kPathNotFound},
    {ELOOP, kDeviceIoError, kPathNotFound},
    {EACCES, kPathFileAccessError, kPermissionDenied},
    {EPERM, kPathFileAccessError, kPermissionDenied},
    {EROFS, kPathFileAccessError, kInvalidProcedureCall},
    {EISDIR, kPathFileAccessError, kInvalidProcedureCall},
    {ETXTBSY, kPermissionDenied, kPermissionDenied},
    {EBUSY, kPermissionDenied, kInvalidProcedureCall},
    {ENOSPC, kDiskFull, kInvalidProcedureCall},
    {EDQUOT, kDiskFull, kInvalidProcedureCall},
    {EFBIG, kDiskFull, kInvalidProcedureCall},
    {EMFILE, kTooManyFiles, kInvalidProcedureCall},
    {ENFILE, kTooManyFiles, kInvalidProcedureCall},
    {ENAMETOOLONG, kBadFileNameOrNumber, kBadFileNameOrNumber},
    {EBADF, kBadFileNameOrNumber, kInvalidProcedureCall},
    {ENOMEM, kDeviceIoError, kOutOfMemory},
    {EAGAIN, kDeviceIoError, kOutOfMemory},
};

}  // namespace

std::int32_t runtimeErrorFor(int systemError, SystemRequest request) {
  return runtimeErrorIn<int>(kRows, kOther, systemError, request);
}

}  // namespace hv
