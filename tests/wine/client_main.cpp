// Checks the registered Windows module from a native client: what scripts cannot reach.
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "client_checks.h"

namespace hv::client {
namespace {

std::wstring modulePath;

}  // namespace

const std::wstring& modulePathUnderTest() {
  return modulePath;
}

GUID toGuid(const Guid& id) {
  GUID out;
  const auto bytes = id.bytes();
  std::memcpy(&out, bytes.data(), sizeof out);
  return out;
}

GUID guidOf(const char* text) {
  return toGuid(Guid::of(text));
}

Guid fromGuid(const GUID& id) {
  std::array<std::uint8_t, 16> bytes;
  std::memcpy(bytes.data(), &id, bytes.size());
  return Guid::fromBytes(bytes);
}

std::wstring bstrText(BSTR value) {
  return value ? std::wstring(value, SysStringLen(value)) : std::wstring();
}

}  // namespace hv::client

// Every group in order, or only those named after the module's path (while iterating).
int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: hvdetector_com_client MODULE-PATH [GROUP...]\n");
    return 2;
  }
  using namespace hv::client;
  modulePath = argv[1];
  const std::vector<std::wstring> only(argv + 2, argv + argc);
  const auto chosen = [&](const wchar_t* name) {
    return only.empty() || std::find(only.begin(), only.end(), name) != only.end();
  };
  const std::vector<std::pair<const wchar_t*, std::function<void(Checks&)>>> groups = {
      {L"safety", checkObjectSafety},
      {L"interfaces", checkInterfaces},
      {L"dispatch", checkDispatch},
      {L"arguments", checkArguments},
      {L"hostile", checkHostileCalls},
      {L"lifetimes", checkLifetimes},
      {L"typelib", checkTypeLibrary},
      {L"ports", checkPorts},
      {L"transfer-port", checkTransferPort},
      {L"transfers", checkTransfers},
      {L"base-downloads", checkBaseDownloads},
      {L"resources", [](Checks& checks) { checkResources(checks, modulePath); }},
      // Last: it unregisters the module.
      {L"registration", [](Checks& checks) { checkRegistration(checks, modulePath); }},
  };
  Checks checks;
  if (FAILED(CoInitialize(nullptr))) {
    std::printf("FAIL: COM does not start\n0 passed, 1 failed\n");
    return 1;
  }
  for (const auto& [name, run] : groups) {
    if (chosen(name))
      run(checks);
  }
  CoUninitialize();
  std::printf("%d passed, %d failed\n", checks.passed, checks.failed);
  return checks.failed;
}
