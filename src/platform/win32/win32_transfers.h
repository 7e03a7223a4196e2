#pragma once

#include "platform/transfer_control_port.h"

namespace hv {

// Transfers on Windows are still to come: every request is refused at once with a script
// error that says so, and no notification follows.
class Win32Transfers : public TransferFactoryPort {
 public:
  std::unique_ptr<TransferControl> createTransferControl() override;
};

}  // namespace hv
