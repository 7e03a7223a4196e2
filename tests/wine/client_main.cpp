// Checks the registered Windows module from a native client: what scripts cannot reach.
#include <objbase.h>
#include <oleauto.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "box_watcher.h"
#include "client_checks.h"

namespace hv::client {

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

namespace {

void runChecks(hv::client::Checks& checks, const std::wstring& modulePath) {
  using namespace hv::client;
  checkObjectSafety(checks);
  checkInterfaces(checks);
  checkDispatch(checks);
  checkArguments(checks);
  checkHostileCalls(checks);
  checkLifetimes(checks);
  checkTypeLibrary(checks);
  checkPorts(checks);
  checkUiSite(checks);
  checkEmbedding(checks);
  checkResources(checks, modulePath);
  checkRegistration(checks, modulePath);  // last: it unregisters the module
}

}  // namespace

// hvdetector_com_client MODULE-PATH          the module's checks
// hvdetector_com_client --flows MODULE-PATH  Base's flows, with the event log traced
int wmain(int argc, wchar_t** argv) {
  const bool flows = argc == 3 && std::wcscmp(argv[1], L"--flows") == 0;
  if (argc != 2 && !flows) {
    std::printf("usage: hvdetector_com_client [--flows] MODULE-PATH\n");
    return 2;
  }
  using namespace hv::client;
  Checks checks;
  if (FAILED(CoInitialize(nullptr))) {
    std::printf("FAIL: COM does not start\n0 passed, 1 failed\n");
    return 1;
  }
  {
    // Boxes are modal: someone has to read and close each one the module opens.
    BoxWatcher watcher;
    if (flows)
      checkFlows(checks, watcher);
    else
      runChecks(checks, argv[1]);
  }
  CoUninitialize();
  std::printf("%d passed, %d failed\n", checks.passed, checks.failed);
  return checks.failed;
}
