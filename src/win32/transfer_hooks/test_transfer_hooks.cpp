// Test builds only: "HOST:PORT:ADDR:PORT" entries, separated by blanks, in the environment send
// requests for a host to a loopback server without touching name resolution; a number of seconds
// in the environment shortens every request time-out, so that time-outs can be seen in seconds.
#include <windows.h>

#include <sstream>
#include <stdexcept>
#include <vector>

#include "runtime/text_encoding.h"
#include "transfer/connect_to_entry.h"
#include "win32/win32_transfer_hooks.h"

namespace hv {
namespace {

constexpr const wchar_t* kConnectTo = L"HVDETECTOR_TEST_CONNECT_TO";
constexpr const wchar_t* kTimeout = L"HVDETECTOR_TEST_REQUEST_TIMEOUT";

std::string variableValue(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0)
    return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return toUtf8(Text(value.begin(), value.end()));
}

// Entries that do not parse are skipped: a test that mistypes one then fails to connect.
std::vector<ConnectToEntry> entries() {
  std::vector<ConnectToEntry> parsed;
  std::istringstream words(variableValue(kConnectTo));
  for (std::string word; words >> word;) {
    try {
      parsed.push_back(ConnectToEntry::parse(word));
    } catch (const std::invalid_argument&) {
    }
  }
  return parsed;
}

}  // namespace

ConnectTarget connectTargetFor(const std::wstring& host, unsigned port) {
  const std::string name = toUtf8(Text(host.begin(), host.end()));
  for (const ConnectToEntry& entry : entries()) {
    if (entry.matches(name, port)) {
      const Text address = fromUtf8(entry.address);
      return {std::wstring(address.begin(), address.end()), entry.addressPort.value_or(port), true};
    }
  }
  return {host, port, false};
}

std::int32_t requestTimeoutFor(std::int32_t seconds) {
  std::istringstream text(variableValue(kTimeout));
  std::int32_t shorter = 0;
  return text >> shorter && shorter > 0 ? shorter : seconds;
}

}  // namespace hv
