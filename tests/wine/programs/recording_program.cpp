// A program the Wine suites start as a document's application or download as an installer. It
// writes the command line it was started with, exactly as it got it (UTF-16, no terminator), to
// the file named by HVDETECTOR_RECORD, then exits with the status in HVDETECTOR_EXIT (0 when
// unset). The file appears whole: it is written under another name first.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring environment(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  const DWORD length =
      GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  value.resize(length < value.size() ? length : 0);
  return value;
}

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
  const std::wstring path = environment(L"HVDETECTOR_RECORD");
  if (!path.empty() && !record(path, GetCommandLineW()))
    return 120;
  const std::wstring status = environment(L"HVDETECTOR_EXIT");
  return status.empty() ? 0 : static_cast<int>(wcstol(status.c_str(), nullptr, 10));
}
