// The Windows ports against the real system calls: what the fakes of the native tests cannot
// show.
#include <fstream>
#include <iterator>
#include <vector>

#include "client_checks.h"
#include "detect/registry_routines.h"
#include "runtime/script_error.h"
#include "win32/win32_event_log.h"
#include "win32/win32_file_service.h"
#include "win32/win32_local_machine.h"
#include "win32/win32_processes.h"
#include "win32/win32_registry.h"

namespace hv::client {
namespace {

constexpr const wchar_t* kKey = L"Software\\HVDetector client checks";

void setValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

struct ReadCase {
  const char* label;
  const wchar_t* name;
  DWORD type;
  std::vector<std::uint8_t> data;
  Text expected;
};

std::string narrow(const Text& text) {
  return std::string(text.begin(), text.end());
}

// Values as the registry holds them, read through the port the way the library reads them; the
// root key is a negative number that must reach the system sign-extended.
void checkRegistry(Checks& checks) {
  const std::vector<ReadCase> cases = {
      {"a string with its NUL", L"text", REG_SZ, {'a', 0, 'b', 0, 'c', 0, 0, 0}, u"abc"},
      {"an empty string", L"empty", REG_SZ, {0, 0}, u""},
      {"a value without bytes", L"none", REG_NONE, {}, u""},
      {"a number", L"number", REG_DWORD, {'x', 'y', 'z', 0}, u"xyz"},
  };
  for (const auto& c : cases)
    setValue(c.name, c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
  Win32Registry registry;
  const Text path = u"Software\\HVDetector client checks";
  for (const auto& c : cases) {
    const Text name(c.name, c.name + wcslen(c.name));
    checks.equal(std::string("RegReadString of ") + c.label,
                 narrow(RegReadString(registry, kHkeyCurrentUser, path, name, u"default")),
                 narrow(c.expected));
    checks.equal(std::string("RegValueExists of ") + c.label,
                 narrow(RegValueExists(registry, kHkeyCurrentUser, path, name)),
                 std::string("True"));
  }
  checks.equal("a missing value reads as the default",
               narrow(RegReadString(registry, kHkeyCurrentUser, path, u"missing", u"default")),
               std::string("default"));
  checks.equal("a missing key reads as the empty text",
               narrow(RegReadString(registry, kHkeyCurrentUser, u"Software\\No such key", u"text",
                                    u"default")),
               std::string());
  checks.equal("a missing key has no value",
               narrow(RegValueExists(registry, kHkeyCurrentUser, u"Software\\No such key", u"x")),
               std::string("False"));
  RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
}

void checkTempFolderAndClock(Checks& checks) {
  Win32TempFolder temp;
  const auto path = temp.tempPath();
  checks.check("the temporary folder is known", path.has_value());
  if (path) {
    checks.check("the temporary folder ends in a backslash", path->ends_with('\\'));
    checks.check("the temporary folder exists",
                 GetFileAttributesA(path->c_str()) != INVALID_FILE_ATTRIBUTES);
  }
  SYSTEMTIME before;
  GetLocalTime(&before);
  const LocalDateTime now = Win32Clock().localNow();
  checks.equal("the clock's year", now.year, static_cast<int>(before.wYear));
  checks.check("the clock's day of the year is within the year",
               now.dayOfYear >= 1 && now.dayOfYear <= 366);
}

// The runtime error number a file or process operation raised, 0 when it succeeded.
template <typename Operation>
int fileError(Operation operation) {
  try {
    operation();
  } catch (const ScriptError& e) {
    return e.number();
  }
  return 0;
}

void checkFiles(Checks& checks) {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  const std::string name = std::string(folder) + "hvdetector-client-check.bin";
  DeleteFileA(name.c_str());
  const Text path(name.begin(), name.end());
  const std::uint8_t abc[] = {'a', 'b', 'c'};
  const std::uint8_t x[] = {'X'};

  Win32FileService files;
  const std::int16_t number = files.freeFileNumber();
  checks.equal("the first free file number", static_cast<int>(number), 1);
  checks.equal("a new file opens",
               fileError([&] { files.open(number, path, FileOpenMode::CreateNew); }), 0);
  checks.equal("an open number is taken",
               fileError([&] { files.open(number, path, FileOpenMode::BinaryWrite); }), 55);
  checks.equal("writing, seeking to the start and writing again", fileError([&] {
                 files.write(number, abc);
                 files.seek(number, 1);
                 files.write(number, x);
                 files.close(number);
               }),
               0);
  std::ifstream written(name, std::ios::binary);
  checks.equal("the file holds what was written",
               std::string(std::istreambuf_iterator<char>(written), {}), std::string("Xbc"));
  written.close();
  checks.equal("creating an existing file anew",
               fileError([&] { files.open(2, path, FileOpenMode::CreateNew); }), 58);
  checks.equal("file number 0", fileError([&] { files.open(0, path, FileOpenMode::TextOutput); }),
               52);
  checks.equal("writing to a number not open", fileError([&] { files.write(3, x); }), 52);
  checks.equal("closing a number not open", fileError([&] { files.close(3); }), 0);
  checks.equal("a folder that does not exist", fileError([&] {
                 files.open(4, u"C:\\no such folder\\f.bin", FileOpenMode::TextOutput);
               }),
               76);
  DeleteFileA(name.c_str());
}

void checkEventLog(Checks& checks) {
  bool written = true;
  try {
    Win32EventLog().report(kEventInformation, u"HVDetector client check");
  } catch (...) {
    written = false;
  }
  checks.check("an information entry is written to the event log", written);
}

// Exit codes are 32 bits on Windows: the restart-needed code of an installer arrives whole.
void checkProcesses(Checks& checks) {
  Win32Processes processes;
  ProcessOutcome ended;
  checks.equal("a waited-for process starts", fileError([&] {
                 ended = processes.startAndWait({u"cmd.exe", {u"/c", u"exit", u"3010"}},
                                                WindowStyle::Hidden);
               }),
               0);
  checks.check("it is reported as exited", ended.kind == ProcessOutcome::Kind::Exited);
  checks.equal("with its exit code", static_cast<long>(ended.code), 3010L);
  checks.equal("a process started without waiting",
               fileError([&] { processes.start(u"cmd.exe /c exit 0", WindowStyle::NormalFocus); }),
               0);
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  const std::string missing = std::string(folder) + "hvdetector-no-such-installer.exe";
  const Text installer(missing.begin(), missing.end());
  checks.equal("a missing installer", fileError([&] {
                 processes.startAndWait({installer, {u"/S", u"/P"}}, WindowStyle::Hidden);
               }),
               53);
  // The quote would end the program's name early and start whatever the rest names.
  checks.equal("an installer path holding a quote is refused", fileError([&] {
                 processes.startAndWait({Text(u"C:\\q\"x\\install.exe"), {u"/S", u"/P"}},
                                        WindowStyle::Hidden);
               }),
               52);
  checks.equal("an empty command line",
               fileError([&] { processes.start(u"", WindowStyle::NormalFocus); }), 5);
}

}  // namespace

void checkPorts(Checks& checks) {
  checkRegistry(checks);
  checkTempFolderAndClock(checks);
  checkFiles(checks);
  checkEventLog(checks);
  checkProcesses(checks);
}

}  // namespace hv::client
