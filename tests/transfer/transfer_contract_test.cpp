// The transfer contract over the fake the engine's tests drive, written from what the loopback
// server would send: the fake must promise what the real transfers keep.
#include "support/transfer_contract.h"

#include <gtest/gtest.h>

#include "fakes/fake_transfer.h"
#include "runtime/text_encoding.h"

namespace hv::testing {
namespace {

using contract::Case;

class FakeRig : public contract::Rig {
 public:
  FakeRig() { renew(); }

  TransferControl& transfer() override { return *transfer_; }
  void execute(const Case& c) override {
    script(c);
    transfer_->Execute(u"http://www.corvantis.example" + fromUtf8(contract::path(c)));
  }
  bool awaitState() override {
    deliverPending();
    return !states.empty();
  }
  void letRequestLeave() override {}
  void pumpAWhile() override { deliverPending(); }
  void cancelFromPump() override {}
  // The notification on its way arrives after the port went.
  void destroyAndRenew() override {
    FakeTransfer& gone = *fake_;
    renew();
    gone.deliver(state_);
    pending_ = false;
  }
  std::int32_t pick(const contract::Codes& codes) const override { return codes.curl; }

 private:
  void renew() {
    transfer_ = factory_.createTransferControl();
    fake_ = &factory_.last();
    transfer_->onStateChanged([this](std::int16_t state) { record(state); });
  }
  // The fake tells what a real transfer would, as long as the request was not cancelled.
  void deliverPending() {
    if (!pending_ || fake_->cancelled)
      return;
    pending_ = false;
    fake_->deliver(state_);
  }
  // The status line, the fields and the body of the served reply, and the case's own failure.
  void script(const Case& c) {
    FakeTransfer& fake = *fake_;
    const std::string& bytes = c.served.bytes;
    const std::size_t headEnd = headLength(c.served);
    std::size_t at = bytes.find("\r\n");
    const std::string status = bytes.substr(9, at - 9);
    fake.headers[u"STATUS"] = fromUtf8(status);
    fake.responseCode = std::stoi(status);
    fake.responseInfo = fromUtf8(status.substr(4));
    while (at + 2 < headEnd - 2) {
      const std::size_t next = bytes.find("\r\n", at + 2);
      const std::string line = bytes.substr(at + 2, next - at - 2);
      const std::size_t colon = line.find(':');
      fake.headers[fromUtf8(line.substr(0, colon))] = fromUtf8(line.substr(colon + 2));
      at = next;
    }
    fake.body.assign(bytes.begin() + static_cast<long>(headEnd), bytes.end());
    if (c.bodyFailure)
      fake.bodyFailure = {c.bodyFailure->curl, u"Transfer closed"};
    state_ = c.state;
    pending_ = true;
  }

  FakeTransferFactory factory_;
  std::unique_ptr<TransferControl> transfer_;
  FakeTransfer* fake_ = nullptr;
  std::int16_t state_ = 0;
  bool pending_ = false;
};

TEST(TransferContract, TheFakeKeepsIt) {
  for (const Case& c : contract::cases()) {
    if (c.needsSocket)
      continue;
    FakeRig rig;
    contract::run(c, rig, [](const std::string& label, bool ok) { EXPECT_TRUE(ok) << label; });
  }
}

}  // namespace
}  // namespace hv::testing
