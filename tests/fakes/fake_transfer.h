#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/transfer_control_port.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"
#include "support/forwarding_transfer.h"
#include "transfer/transfer_policy.h"
#include "transfer/transfer_schemes.h"

namespace hv::testing {

// Header names compare as HTTP compares them: ASCII letters in any case.
struct HeaderNameLess {
  static char16_t folded(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
  }
  bool operator()(const Text& a, const Text& b) const {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](char16_t x, char16_t y) { return folded(x) < folded(y); });
  }
};

// A transfer whose response the test writes beforehand and whose notifications the test
// delivers when it chooses.
class FakeTransfer : public TransferControl {
 public:
  void onStateChanged(StateHandler handler) override { handler_ = std::move(handler); }

  void Execute(TextView url) override {
    if (refuseExecute || !hasTransferScheme(toUtf8(url)))
      throw runtimeError(runtime_error::kInvalidProcedureCall);
    executed.emplace_back(url);
    position_ = 0;
    cancelled = false;
  }

  void Cancel() override {
    ++cancels;
    cancelled = true;
  }

  std::vector<std::uint8_t> GetChunk(std::int16_t size, std::int32_t) override {
    chunkSizes.push_back(size);
    if (cancelled)
      return {};
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(size), body.size() - position_);
    std::vector<std::uint8_t> chunk(body.begin() + static_cast<long>(position_),
                                    body.begin() + static_cast<long>(position_ + n));
    position_ += n;
    if (chunk.empty() && size > 0 && bodyFailure) {
      responseCode = bodyFailure->first;
      responseInfo = bodyFailure->second;
      throw brokenBodyError(responseCode, responseInfo);
    }
    return chunk;
  }

  Text GetHeader(TextView name) override {
    const auto found = headers.find(Text(name));
    return found == headers.end() ? Text() : found->second;
  }

  std::int32_t ResponseCode() override { return responseCode; }
  Text ResponseInfo() override { return responseInfo; }
  void RequestTimeout(std::int32_t seconds) override { timeoutSeconds = seconds; }

  // What the transfer would report through the message loop; nothing once its owner let it go.
  // The handler runs from a copy, as the owner may let the transfer go from inside it.
  void deliver(std::int16_t state) {
    const StateHandler handler = handler_;
    if (handler)
      handler(state);
  }

  // The owner let go of the transfer: its handler goes with it.
  void release() {
    released = true;
    handler_ = nullptr;
  }

  void respond(const std::string& bytes, const Text& contentLength) {
    body.assign(bytes.begin(), bytes.end());
    headers[u"Content-Length"] = contentLength;
    headers[u"STATUS"] = u"200 OK";
  }

  std::vector<std::uint8_t> body;
  std::map<Text, Text, HeaderNameLess> headers;
  std::int32_t responseCode = 0;
  Text responseInfo;
  // The body ends short: once it is handed out, GetChunk fails with this ResponseCode and
  // ResponseInfo.
  std::optional<std::pair<std::int32_t, Text>> bodyFailure;
  std::int32_t timeoutSeconds = 0;
  bool refuseExecute = false;
  bool cancelled = false;
  bool released = false;
  int cancels = 0;
  std::vector<Text> executed;
  std::vector<std::int16_t> chunkSizes;

 private:
  StateHandler handler_;
  std::size_t position_ = 0;
};

// Hands out handles to transfers it keeps itself, so that a test can still look at a transfer
// after its owner has let it go (`released`).
class FakeTransferFactory : public TransferFactoryPort {
 public:
  std::unique_ptr<TransferControl> createTransferControl() override {
    owned_.push_back(std::make_unique<FakeTransfer>());
    created.push_back(owned_.back().get());
    return std::make_unique<Handle>(*owned_.back());
  }

  FakeTransfer& last() { return *created.back(); }

  std::vector<FakeTransfer*> created;

 private:
  class Handle : public ForwardingTransfer {
   public:
    explicit Handle(FakeTransfer& transfer) : ForwardingTransfer(transfer), t_(transfer) {}
    ~Handle() override { t_.release(); }

   private:
    FakeTransfer& t_;
  };
  std::vector<std::unique_ptr<FakeTransfer>> owned_;
};

}  // namespace hv::testing
