// Checks the registered Windows module from a native client: what scripts cannot reach.
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "box_watcher.h"
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

namespace {

// A group of checks; one that runs only when named needs something the runner prepares for it.
struct Group {
  const wchar_t* name;
  std::function<void(hv::client::Checks&)> run;
  bool onlyWhenNamed = false;
};

}  // namespace

// Every group in order, or only those named after the module's path (while iterating). The flow
// checks run only when named: they read the event log back from the trace the runner makes.
// "lone-thread NAME" is the process a lifetime check starts.
int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: hvdetector_com_client MODULE-PATH [GROUP...]\n");
    return 2;
  }
  using namespace hv::client;
  modulePath = argv[1];
  if (argc == 4 && std::wstring(argv[2]) == L"lone-thread")
    return runLoneThread(argv[3]);
  const std::vector<std::wstring> only(argv + 2, argv + argc);
  const auto chosen = [&](const Group& group) {
    if (only.empty())
      return !group.onlyWhenNamed;
    return std::find(only.begin(), only.end(), group.name) != only.end();
  };
  Checks checks;
  if (FAILED(CoInitialize(nullptr))) {
    std::printf("FAIL: COM does not start\n0 passed, 1 failed\n");
    return 1;
  }
  {
    // Boxes are modal: someone has to read and close each one the module opens.
    BoxWatcher watcher;
    const std::vector<Group> groups = {
        {L"safety", checkObjectSafety},
        {L"interfaces", checkInterfaces},
        {L"dispatch", checkDispatch},
        {L"arguments", checkArguments},
        {L"hostile", checkHostileCalls},
        {L"lifetimes", checkLifetimes},
        {L"typelib", checkTypeLibrary},
        {L"ports", checkPorts},
        {L"installer-trust", checkInstallerTrust},
        {L"transfer-port", checkTransferPort},
        {L"transfers", checkTransfers},
        {L"base-downloads", checkBaseDownloads},
        {L"ui-site", checkUiSite},
        {L"embedding", checkEmbedding},
        {L"flows", [&watcher](Checks& checks) { checkFlows(checks, watcher); }, true},
        {L"resources", [](Checks& checks) { checkResources(checks, modulePath); }},
        // Last: it unregisters the module.
        {L"registration", [](Checks& checks) { checkRegistration(checks, modulePath); }},
    };
    for (const auto& group : groups) {
      if (chosen(group))
        group.run(checks);
    }
  }
  CoUninitialize();
  std::printf("%d passed, %d failed\n", checks.passed, checks.failed);
  return checks.failed;
}
