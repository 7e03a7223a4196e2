#include "win32/win32_internet_errors.h"

#include <wininet.h>

#include <vector>

namespace hv {
namespace {

// The socket's own time-out (WSAETIMEDOUT), which some WinINet builds pass on as it is.
constexpr DWORD kSocketTimedOut = 10060;

std::string withoutLineBreak(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

std::string serverResponseText() {
  DWORD error = 0;
  DWORD size = 0;
  InternetGetLastResponseInfoA(&error, nullptr, &size);
  std::vector<char> text(size + 1);
  if (size == 0 || !InternetGetLastResponseInfoA(&error, text.data(), &size))
    return {};
  return withoutLineBreak(std::string(text.data(), size));
}

}  // namespace

std::string internetErrorText(DWORD error) {
  if (error == ERROR_INTERNET_EXTENDED_ERROR) {
    if (std::string server = serverResponseText(); !server.empty())
      return server;
  }
  char* text = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length = FormatMessageA(flags, GetModuleHandleW(L"wininet.dll"), error, 0,
                                      reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 ? withoutLineBreak(std::string(text, length)) : std::string();
  LocalFree(text);
  return message.empty() ? "WinINet error " + std::to_string(error) : message;
}

TransferFailure internetFailure(DWORD error) {
  return {TransferCode::winInet(error), internetErrorText(error)};
}

bool isTimeout(DWORD error) {
  return error == ERROR_INTERNET_TIMEOUT || error == kSocketTimedOut;
}

}  // namespace hv
