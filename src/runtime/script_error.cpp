#include "runtime/script_error.h"

#include <string_view>
#include <utility>

#include "runtime/text_encoding.h"

namespace hv {
namespace {

struct StandardError {
  std::int32_t number;
  std::string_view text;
};

constexpr StandardError kStandardErrors[] = {
    {runtime_error::kInvalidProcedureCall, "Invalid procedure call or argument"},
    {runtime_error::kOverflow, "Overflow"},
    {runtime_error::kOutOfMemory, "Out of memory"},
    {runtime_error::kSubscriptOutOfRange, "Subscript out of range"},
    {runtime_error::kDivisionByZero, "Division by zero"},
    {runtime_error::kTypeMismatch, "Type mismatch"},
    {runtime_error::kBadFileNameOrNumber, "Bad file name or number"},
    {runtime_error::kFileNotFound, "File not found"},
    {runtime_error::kBadFileMode, "Bad file mode"},
    {runtime_error::kFileAlreadyOpen, "File already open"},
    {runtime_error::kDeviceIoError, "Device I/O error"},
    {runtime_error::kFileAlreadyExists, "File already exists"},
    {runtime_error::kDiskFull, "Disk full"},
    {runtime_error::kTooManyFiles, "Too many files"},
    {runtime_error::kPermissionDenied, "Permission denied"},
    {runtime_error::kPathFileAccessError, "Path/File access error"},
    {runtime_error::kPathNotFound, "Path not found"},
    {runtime_error::kMemberNotSupported, "Object doesn't support this property or method"},
    {runtime_error::kWrongArgumentCount,
     "Wrong number of arguments or invalid property assignment"},
};

}  // namespace

ScriptError::ScriptError(std::int32_t number, Text source, Text description)
    : number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      what_(std::to_string(number_) + " " + toUtf8(description_)) {}

Text standardErrorText(std::int32_t number) {
  for (const auto& e : kStandardErrors) {
    if (e.number == number)
      return textFromAscii(e.text);
  }
  return u"Application-defined or object-defined error";
}

ScriptError runtimeError(std::int32_t number) {
  return ScriptError(number, Text(), standardErrorText(number));
}

}  // namespace hv
