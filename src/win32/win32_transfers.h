#pragma once

#include "platform/transfer_control_port.h"
#include "transfer/transfer_rules.h"

namespace hv {

struct Win32TransferSettings {
  // Whether a redirect may be followed to this URL; any refusal fails the request. Called on a
  // worker thread.
  RedirectPermission redirectAllowed;
};

// Transfers on WinINet, one worker thread per request. Each transfer belongs to the thread that
// created it and hears from its worker through that thread's message queue. The factory must
// outlive its transfers.
class Win32Transfers : public TransferFactoryPort {
 public:
  explicit Win32Transfers(Win32TransferSettings settings) : settings_(std::move(settings)) {}
  std::unique_ptr<TransferControl> createTransferControl() override;

 private:
  Win32TransferSettings settings_;
};

}  // namespace hv
