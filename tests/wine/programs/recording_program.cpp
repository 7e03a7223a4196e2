// A program the Wine suites start as a document's application or download as an installer. It
// writes the command line it was started with, exactly as it got it (UTF-16, no terminator), to
// the file named by HVDETECTOR_RECORD, then exits with the status in HVDETECTOR_EXIT (0 when
// unset). The file appears whole: it is written under another name first.
#include <windows.h>

#include <cwchar>
#include <string>

#include "environment_variable.h"

namespace {

using hv::client::environmentVariable;

bool record(const std::wstring& path, const wchar_t* line) {
  const std::wstring partial = path + L".part";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  const DWORD size = static_cast<DWORD>(wcslen(line) * sizeof(wchar_t));
  DWORD written = 0;
  const BOOL ok = WriteFile(file, line, size, &written, nullptr) && written == size;
  CloseHandle(file);
  return ok && MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring path = environmentVariable(L"HVDETECTOR_RECORD");
  if (!path.empty() && !record(path, GetCommandLineW()))
    return 120;
  const std::wstring status = environmentVariable(L"HVDETECTOR_EXIT");
  return status.empty() ? 0 : static_cast<int>(wcstol(status.c_str(), nullptr, 10));
}
