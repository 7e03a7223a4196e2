#include "host_process.h"

#include <stdexcept>

#include "runtime/text_encoding.h"

namespace hv::client {
namespace {

// One argument as the C runtime reads it back: quoted, a quote escaped, and the backslashes
// before a quote or the closing one doubled.
std::wstring quoted(const std::string& arg) {
  const Text text = fromUtf8(arg);
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const char16_t c : text) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == u'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(static_cast<wchar_t>(c));
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

// A pipe whose end the host gets is inherited; the driver's own end is not.
void makePipe(HANDLE& read, HANDLE& write, bool hostReads) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  if (!CreatePipe(&read, &write, &inherited, 0))
    throw std::runtime_error("CreatePipe failed");
  SetHandleInformation(hostReads ? write : read, HANDLE_FLAG_INHERIT, 0);
}

}  // namespace

HostProcess::HostProcess(const std::wstring& program, const std::vector<std::string>& args) {
  HANDLE hostInput = nullptr, hostOutput = nullptr;
  makePipe(hostInput, input_, true);
  makePipe(output_, hostOutput, false);
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const std::wstring log = program + L".log";
  HANDLE errors = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inherited, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::wstring line = L"\"" + program + L"\"";
  for (const auto& arg : args)
    line += L" " + quoted(arg);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = hostInput;
  startup.hStdOutput = hostOutput;
  startup.hStdError = errors;
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process_);
  CloseHandle(hostInput);
  CloseHandle(hostOutput);
  if (errors != INVALID_HANDLE_VALUE)
    CloseHandle(errors);
  if (!started)
    throw std::runtime_error("the messaging host cannot be started");
}

HostProcess::~HostProcess() {
  closeInput();
  CloseHandle(output_);
  if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0)
    TerminateProcess(process_.hProcess, 99);
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

void HostProcess::sendBytes(const std::string& bytes) {
  for (std::size_t sent = 0; sent < bytes.size();) {
    DWORD n = 0;
    if (!WriteFile(input_, bytes.data() + sent, static_cast<DWORD>(bytes.size() - sent), &n,
                   nullptr) ||
        n == 0)
      return;  // the host has gone; what it said before is still to be read
    sent += n;
  }
}

void HostProcess::closeInput() {
  if (input_ != nullptr)
    CloseHandle(input_);
  input_ = nullptr;
}

// An anonymous pipe cannot be waited on: what it holds is looked at every few milliseconds.
std::optional<nlohmann::json> HostProcess::receive(bool panels, DWORD limitMs) {
  const ULONGLONG deadline = GetTickCount64() + limitMs;
  for (;;) {
    while (auto frame = reader_.next()) {
      auto message = nlohmann::json::parse(*frame);
      if (panels || message.value("name", "") != "panel")
        return message;
    }
    DWORD waiting = 0;
    if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &waiting, nullptr))
      return std::nullopt;  // the host has gone and said all it had
    if (waiting == 0) {
      if (GetTickCount64() >= deadline)
        return std::nullopt;
      Sleep(5);
      continue;
    }
    std::string buffer(waiting, '\0');
    DWORD read = 0;
    if (!ReadFile(output_, buffer.data(), waiting, &read, nullptr) || read == 0)
      return std::nullopt;
    reader_.feed({reinterpret_cast<const std::uint8_t*>(buffer.data()), read});
  }
}

std::optional<int> HostProcess::exitStatus(DWORD limitMs) {
  DWORD status = 0;
  if (WaitForSingleObject(process_.hProcess, limitMs) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process_.hProcess, &status))
    return std::nullopt;
  return static_cast<int>(status);
}

}  // namespace hv::client
