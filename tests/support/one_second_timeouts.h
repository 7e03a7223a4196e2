#pragma once

#include <memory>

#include "support/forwarding_transfer.h"

namespace hv::testing {

// Tests cannot wait two minutes for a silent server: the transfer's own time-out is cut to one
// second, whatever the engine asks for.
class OneSecondTimeouts : public TransferFactoryPort {
 public:
  explicit OneSecondTimeouts(TransferFactoryPort& real) : real_(real) {}
  std::unique_ptr<TransferControl> createTransferControl() override {
    return std::make_unique<Transfer>(real_.createTransferControl());
  }

 private:
  class Transfer : public ForwardingTransfer {
   public:
    explicit Transfer(std::unique_ptr<TransferControl> inner)
        : ForwardingTransfer(*inner), inner_(std::move(inner)) {}
    void RequestTimeout(std::int32_t) override { ForwardingTransfer::RequestTimeout(1); }

   private:
    std::unique_ptr<TransferControl> inner_;
  };
  TransferFactoryPort& real_;
};

}  // namespace hv::testing
