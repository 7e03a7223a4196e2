// Checks the registered Windows module from a native client: what scripts cannot reach.
#include <objbase.h>
#include <oleauto.h>

#include <cstring>

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

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::printf("usage: hvdetector_com_client MODULE-PATH\n");
    return 2;
  }
  using namespace hv::client;
  modulePath = argv[1];
  Checks checks;
  if (FAILED(CoInitialize(nullptr))) {
    std::printf("FAIL: COM does not start\n0 passed, 1 failed\n");
    return 1;
  }
  checkObjectSafety(checks);
  checkInterfaces(checks);
  checkDispatch(checks);
  checkArguments(checks);
  checkHostileCalls(checks);
  checkLifetimes(checks);
  checkTypeLibrary(checks);
  checkPorts(checks);
  checkResources(checks, argv[1]);
  checkRegistration(checks, argv[1]);  // last: it unregisters the module
  CoUninitialize();
  std::printf("%d passed, %d failed\n", checks.passed, checks.failed);
  return checks.failed;
}
