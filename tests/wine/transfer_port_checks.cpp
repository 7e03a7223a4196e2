// The WinINet transfer port itself, against the loopback site: what the engine relies on and a
// page cannot reach directly (no notification from inside a call, cancels at any time, a broken
// body never taken for a whole one).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "client_checks.h"
#include "download/site_domain.h"
#include "download_sink.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"
#include "support/pattern_bytes.h"
#include "win32/win32_transfers.h"

namespace hv::client {
namespace {

using testing::patternBytes;

struct PortUnderTest {
  Win32Transfers factory{{isInsideSiteDomain}};
  std::unique_ptr<TransferControl> transfer = factory.createTransferControl();
  std::vector<std::int16_t> states;
  std::vector<DWORD> threads;

  PortUnderTest() {
    transfer->onStateChanged([this](std::int16_t state) {
      states.push_back(state);
      threads.push_back(GetCurrentThreadId());
    });
    transfer->RequestTimeout(120);
  }
  void execute(const std::wstring& path) {
    const std::wstring url = L"http://www.corvantis.example" + path;
    transfer->Execute(Text(url.begin(), url.end()));
  }
  bool respond() {
    return pumpUntil([&] { return !states.empty(); }, 10000);
  }
  std::string chunk() {
    const auto bytes = transfer->GetChunk(4096, 1);
    return {bytes.begin(), bytes.end()};
  }
};

// A cancel that runs from the pump GetChunk waits in, as a page's script would.
TransferControl* cancelledFromTimer = nullptr;
void CALLBACK cancelFromPump(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (cancelledFromTimer)
    cancelledFromTimer->Cancel();
}

void checkResponse(Checks& checks) {
  PortUnderTest port;
  port.execute(L"/dl/report.cvx");
  checks.check("transfer port: no notification from inside Execute", port.states.empty());
  checks.check("transfer port: the response is reported", port.respond());
  checks.check("transfer port: state 12, on this thread",
               port.states == std::vector<std::int16_t>{kResponseCompleted} &&
                   port.threads.front() == GetCurrentThreadId());
  checks.check("transfer port: STATUS is code and reason",
               port.transfer->GetHeader(u"STATUS") == u"200 OK");
  checks.check("transfer port: headers by name in any case",
               port.transfer->GetHeader(u"content-length") == u"10000" &&
                   port.transfer->GetHeader(u"X-Absent").empty());
  const std::string body = patternBytes(10000);
  const bool chunked =
      port.chunk() == body.substr(0, 4096) && port.chunk() == body.substr(4096, 4096) &&
      port.chunk() == body.substr(8192) && port.chunk().empty() && port.chunk().empty();
  checks.check("transfer port: chunks of 4096, then the rest, then nothing", chunked);
}

void checkRefusedSchemes(Checks& checks) {
  PortUnderTest port;
  for (const char16_t* url : {u"file:///C:/windows/win.ini", u"gopher://127.0.0.1/", u""}) {
    int number = 0;
    try {
      port.transfer->Execute(url);
    } catch (const ScriptError& e) {
      number = e.number();
    }
    checks.equal("transfer port: refuses " + toUtf8(url), number, 5);
  }
  pumpUntil([] { return false; }, 200);
  checks.check("transfer port: a refused URL is never reported", port.states.empty());
}

void checkCancels(Checks& checks) {
  {
    PortUnderTest port;
    port.execute(L"/dl/drip.cvx");
    port.transfer->Cancel();
    port.transfer->Cancel();
    pumpUntil([] { return false; }, 500);
    checks.check("transfer port: a cancel before the response silences it", port.states.empty());
    checks.check("transfer port: nothing to read after a cancel", port.chunk().empty());
  }
  {
    PortUnderTest port;
    port.execute(L"/dl/drip.cvx");
    port.respond();
    cancelledFromTimer = port.transfer.get();
    SetTimer(nullptr, 0, 50, cancelFromPump);
    checks.check("transfer port: a cancel from the pump GetChunk waits in ends the body",
                 port.chunk().empty() && port.chunk().empty());
    cancelledFromTimer = nullptr;
  }
  {
    PortUnderTest port;
    port.execute(L"/dl/report.cvx");
    pumpUntil([] { return false; }, 100);
    port.transfer.reset();
    pumpUntil([] { return false; }, 200);
    checks.check("transfer port: a transfer destroyed with its notice on the way is not called",
                 port.states.empty());
  }
}

void checkBrokenBody(Checks& checks) {
  PortUnderTest port;
  port.execute(L"/dl/lying.cvx");
  port.respond();
  std::string bytes;
  int failures = 0;
  try {
    for (std::string next = port.chunk(); !next.empty(); next = port.chunk())
      bytes += next;
  } catch (const ScriptError& e) {
    failures += e.number() == kTransferFailure ? 1 : 0;
  }
  checks.check("transfer port: a body cut short hands out what arrived",
               bytes == patternBytes(5000));
  checks.equal("transfer port: then fails instead of ending", failures, 1);
  try {
    port.chunk();
  } catch (const ScriptError&) {
    ++failures;
  }
  checks.equal("transfer port: and fails again when asked again", failures, 2);
  checks.equal("transfer port: ResponseCode tells the failure", port.transfer->ResponseCode(),
               12030);
  port.transfer->Cancel();
  checks.check("transfer port: a cancel ends the failure", port.chunk().empty());
}

}  // namespace

void checkTransferPort(Checks& checks) {
  checkResponse(checks);
  checkRefusedSchemes(checks);
  checkCancels(checks);
  checkBrokenBody(checks);
}

}  // namespace hv::client
