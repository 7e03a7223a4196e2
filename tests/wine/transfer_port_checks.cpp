// The WinINet transfer port itself, against the loopback site: the contract every transfer keeps
// (no notification from inside a call, cancels at any time, a broken body never taken for a whole
// one), played from the cases the site serves.
#include <windows.h>

#include <memory>
#include <string>

#include "client_checks.h"
#include "download/site_domain.h"
#include "download_sink.h"
#include "support/transfer_contract.h"
#include "win32/win32_transfers.h"

namespace hv::client {
namespace {

using testing::contract::Case;

// A cancel that runs from the pump GetChunk waits in, as a page's script would.
TransferControl* cancelledFromTimer = nullptr;
void CALLBACK cancelFromTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (cancelledFromTimer)
    cancelledFromTimer->Cancel();
}

class WinInetRig : public testing::contract::Rig {
 public:
  WinInetRig() { renew(); }
  ~WinInetRig() override { cancelledFromTimer = nullptr; }

  TransferControl& transfer() override { return *transfer_; }
  void execute(const Case& c) override {
    const std::string url = "http://www.corvantis.example" + testing::contract::path(c);
    transfer_->Execute(Text(url.begin(), url.end()));
  }
  bool awaitState() override {
    return pumpUntil([&] { return !states.empty(); }, 10000);
  }
  void letRequestLeave() override {
    pumpUntil([] { return false; }, 100);
  }
  void pumpAWhile() override {
    pumpUntil([] { return false; }, 300);
  }
  void cancelFromPump() override {
    cancelledFromTimer = transfer_.get();
    SetTimer(nullptr, 0, 50, cancelFromTimer);
  }
  void destroyAndRenew() override {
    transfer_.reset();
    renew();
  }
  std::int32_t pick(const testing::contract::Codes& codes) const override { return codes.winInet; }

 private:
  void renew() {
    transfer_ = factory_.createTransferControl();
    transfer_->onStateChanged([this](std::int16_t state) { record(state); });
    transfer_->RequestTimeout(120);
  }

  Win32Transfers factory_{{isInsideSiteDomain}};
  std::unique_ptr<TransferControl> transfer_;
};

}  // namespace

void checkTransferPort(Checks& checks) {
  for (const Case& c : testing::contract::cases()) {
    if (c.winInetBlind)
      continue;
    WinInetRig rig;
    testing::contract::run(c, rig, [&](const std::string& label, bool ok) {
      checks.check("transfer contract, " + label, ok);
    });
  }
}

}  // namespace hv::client
