#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "runtime/script_error.h"
#include "transfer/transfer_code.h"
#include "transfer/transfer_response.h"

namespace hv {

// What GetChunk raises once a body that ended short has handed out the bytes that arrived, with
// the failure's ResponseCode and ResponseInfo.
ScriptError brokenBodyError(std::int32_t code, TextView info);

// What every transfer does with a request, whichever library carries it: the phases it goes
// through, what it reports when, and a body that ends short failing instead of ending. The
// library's side supplies the steps.
class TransferPolicy : public TransferResponse {
 public:
  ~TransferPolicy() override { *alive_ = false; }

  void onStateChanged(StateHandler handler) final { handler_ = std::move(handler); }
  void Execute(TextView url) final;
  void Cancel() final;
  std::vector<std::uint8_t> GetChunk(std::int16_t size, std::int32_t dataType) final;

 protected:
  enum class Phase { kIdle, kRequesting, kResponded, kFailed };

  // Sends the request for a URL the transfer takes; what it hears is reported later.
  virtual void startRequest(TextView url) = 0;
  // Ends the request: nothing of it reports afterwards.
  virtual void stopRequest() = 0;
  // Whether `count` bytes are buffered or the body has ended.
  virtual bool bodyReady(std::size_t count) = 0;
  // Waits a while for the network, pumping the thread's messages.
  virtual void waitForBody() = 0;
  // Up to `count` buffered bytes; none at the end of the body.
  virtual std::vector<std::uint8_t> takeBody(std::size_t count) = 0;
  // Has `state` delivered at a time the owner may run page script in.
  virtual void notify(std::int16_t state) = 0;

  Phase phase() const { return phase_; }
  // Forgets the last head before another one.
  void forgetHead();
  // The head is a file: its body may be read (state 12).
  void respond();
  // The request failed (state 11).
  void fail(TransferFailure failure);
  // The body ended short: once the bytes that arrived are handed out, GetChunk raises this
  // failure instead of an end that would look complete.
  void failBody(TransferFailure failure);
  // Runs the owner's handler from a copy: the handler may end this transfer.
  void deliver(std::int16_t state);

  // Turns false when the transfer goes, for what runs after it may have.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

 private:
  StateHandler handler_;
  Phase phase_ = Phase::kIdle;
  std::optional<TransferFailure> bodyFailure_;
};

}  // namespace hv
