#pragma once

#include "platform/transfer_control_port.h"

namespace hv::testing {

// A transfer that hands every call on to another one; test doubles override what they change.
class ForwardingTransfer : public TransferControl {
 public:
  explicit ForwardingTransfer(TransferControl& inner) : inner_(inner) {}
  void onStateChanged(StateHandler handler) override { inner_.onStateChanged(std::move(handler)); }
  void Execute(TextView url) override { inner_.Execute(url); }
  void Cancel() override { inner_.Cancel(); }
  std::vector<std::uint8_t> GetChunk(std::int16_t size, std::int32_t type) override {
    return inner_.GetChunk(size, type);
  }
  Text GetHeader(TextView name) override { return inner_.GetHeader(name); }
  std::int32_t ResponseCode() override { return inner_.ResponseCode(); }
  Text ResponseInfo() override { return inner_.ResponseInfo(); }
  void RequestTimeout(std::int32_t seconds) override { inner_.RequestTimeout(seconds); }

 private:
  TransferControl& inner_;
};

}  // namespace hv::testing
