// The Windows messaging host under Wine, driven as a browser drives it: the table every
// messaging host answers alike (message_cases.json), then what only Windows has: the installer
// and the document's program started from the host, and the control beside it reading the same
// registry. Prints "N passed, N failed" and exits with the failure count.
//   hvdetector_messaging_driver HOST MODULE TABLE STORE
// HOST: the messaging host built with test hooks; MODULE: the control, registered by the runner
// (a case that needs it unregistered unregisters it and registers it again); TABLE: the cases;
// STORE: the .reg file of an installed application, imported before the first case.
#include <windows.h>

#include <fstream>
#include <sstream>

#include "client_checks.h"
#include "messaging/message_table.h"
#include "messaging_driver/driver_checks.h"

namespace hv::client {
namespace {

std::string fileText(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The module's own registration entry point, as regsvr32 calls it.
bool callModule(const std::wstring& module, const char* entry) {
  HMODULE loaded = LoadLibraryW(module.c_str());
  const auto function = loaded ? reinterpret_cast<HRESULT(WINAPI*)()>(
                                     reinterpret_cast<void*>(GetProcAddress(loaded, entry)))
                               : nullptr;
  const bool ok = function != nullptr && function() == S_OK;
  if (loaded)
    FreeLibrary(loaded);
  return ok;
}

void runCase(Checks& checks, const DriverSetup& setup, const testing::MessageCase& c) {
  if (!c.registered)
    checks.check(c.name + ": the module unregisters",
                 callModule(setup.module, "DllUnregisterServer"));
  {
    HostProcess host(setup.host, c.args);
    for (const auto& step : c.steps) {
      host.sendBytes(step.bytes);
      for (const auto& expected : step.answers) {
        const auto answer = host.receive();
        checks.check(c.name + ": " + expected.dump() + " (got " +
                         (answer ? answer->dump().substr(0, 200) : std::string("nothing")) + ")",
                     answer && testing::holds(*answer, expected));
      }
    }
    host.closeInput();
    while (const auto more = host.receive())
      checks.check(c.name + ": after the input's end " + more->dump().substr(0, 200),
                   testing::isInputEndError(*more));
    checks.equal(c.name + ": exit status", host.exitStatus().value_or(-1), c.exitStatus);
  }
  if (!c.registered)
    checks.check(c.name + ": the module registers again",
                 callModule(setup.module, "DllRegisterServer"));
}

}  // namespace
}  // namespace hv::client

int wmain(int argc, wchar_t** argv) {
  using namespace hv::client;
  if (argc != 5) {
    std::printf("usage: hvdetector_messaging_driver HOST MODULE TABLE STORE\n0 passed, 1 failed\n");
    return 1;
  }
  const DriverSetup setup{argv[1], argv[2], argv[4]};
  Checks checks;
  checks.check("the store is imported", importStore(setup.store));
  try {
    for (const auto& c : hv::testing::messageCases(fileText(argv[3])))
      runCase(checks, setup, c);
  } catch (const std::exception& e) {
    checks.check(std::string("the table reads: ") + e.what(), false);
  }
  checkWindowsFlows(checks, setup);
  std::printf("%d passed, %d failed\n", checks.passed, checks.failed);
  return checks.failed;
}
