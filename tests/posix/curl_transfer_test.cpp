#include "posix/curl_transfer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>

#include "download/site_domain.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"
#include "support/gzip_bytes.h"
#include "support/lazy_case.h"
#include "support/loopback_http_server.h"
#include "support/peak_memory.h"
#include "support/self_signed_tls_server.h"
#include "support/transfer_contract.h"

namespace hv {
namespace {

using testing::LoopbackHttpServer;
using testing::okReply;
using testing::patternBytes;
using testing::PeakMemoryWatch;
using testing::replyWithHeaders;

constexpr auto kLongestRun = std::chrono::seconds(20);
// What a transfer may add to the process while a body streams through it: the bounded body
// buffer, libcurl's receive buffer and slack for the allocator, far below any body used here.
constexpr std::size_t kMemoryBound = 16 << 20;

class CurlTransferTest : public ::testing::Test {
 protected:
  CurlTransferTest() {
    transfer->onStateChanged([this](std::int16_t state) { states.push_back(state); });
  }

  std::string url(const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(server.port()) + path;
  }
  void execute(const std::string& path) {
    const std::string target = url(path);
    transfer->Execute(Text(target.begin(), target.end()));
  }
  bool runUntil(const std::function<bool()>& done) {
    return loop.runUntil(done, EventLoop::Clock::now() + kLongestRun);
  }
  std::string chunk() {
    const auto bytes = transfer->GetChunk(4096, 1);
    return {bytes.begin(), bytes.end()};
  }
  // Every chunk up to the end of the body, or up to the failure it ends in.
  std::string body(std::optional<ScriptError>& failure) {
    std::string bytes;
    try {
      for (std::string next = chunk(); !next.empty(); next = chunk())
        bytes += next;
    } catch (const ScriptError& e) {
      failure = e;
    }
    return bytes;
  }
  // Reads the body chunk by chunk against `expected` without holding it: true when every byte
  // matched and the body ended where `expected` does.
  bool bodyMatches(std::string_view expected) {
    std::size_t at = 0;
    for (std::string next = chunk(); !next.empty(); next = chunk()) {
      if (expected.substr(at, next.size()) != next)
        return false;
      at += next.size();
    }
    return at == expected.size();
  }
  // Lets the network run for a while with nobody reading, as a page busy in a handler would.
  void lagBehind() {
    for (int i = 0; i < 50; ++i)
      loop.waitAndPump(std::chrono::milliseconds(10));
  }

  LoopbackHttpServer server;
  EventLoop loop;
  CurlTransferFactory factory{loop, {}};
  std::unique_ptr<TransferControl> transfer = factory.createTransferControl();
  std::vector<std::int16_t> states;
};

// The site's host mapped to a loopback server that serves every case of the contract.
class CurlRig : public testing::contract::Rig {
 public:
  CurlRig() {
    for (const auto& c : testing::contract::cases())
      server_.route(testing::contract::path(c), c.served);
    renew();
  }

  TransferControl& transfer() override { return *transfer_; }
  void execute(const testing::contract::Case& c) override {
    transfer_->Execute(fromUtf8("http://www.corvantis.example" + testing::contract::path(c)));
  }
  bool awaitState() override {
    return runUntil([&] { return !states.empty(); });
  }
  void letRequestLeave() override {
    runUntil([&] { return !server_.requests().empty(); });
  }
  void pumpAWhile() override {
    for (int i = 0; i < 100; ++i)
      loop_.waitAndPump(std::chrono::milliseconds(1));
  }
  void cancelFromPump() override {
    loop_.post([this] { transfer_->Cancel(); });
  }
  void destroyAndRenew() override {
    transfer_.reset();
    renew();
  }
  std::int32_t pick(const testing::contract::Codes& codes) const override { return codes.curl; }

 private:
  bool runUntil(const std::function<bool()>& done) {
    return loop_.runUntil(done, EventLoop::Clock::now() + kLongestRun);
  }
  void renew() {
    transfer_ = factory_.createTransferControl();
    transfer_->onStateChanged([this](std::int16_t state) { record(state); });
  }

  LoopbackHttpServer server_;
  EventLoop loop_;
  CurlTransferFactory factory_{
      loop_,
      {{"www.corvantis.example:80:127.0.0.1:" + std::to_string(server_.port())},
       isInsideSiteDomain}};
  std::unique_ptr<TransferControl> transfer_;
};

class CurlContract : public ::testing::TestWithParam<std::size_t> {};

TEST_P(CurlContract, IsKept) {
  CurlRig rig;
  testing::contract::run(testing::contract::cases()[GetParam()], rig,
                         [](const std::string& label, bool ok) { EXPECT_TRUE(ok) << label; });
}

INSTANTIATE_TEST_SUITE_P(Cases, CurlContract,
                         ::testing::Range<std::size_t>(0, testing::contract::cases().size()),
                         [](const auto& info) {
                           std::string name = testing::contract::cases()[info.param].name;
                           for (char& c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name + "_" + std::to_string(info.param);
                         });

TEST_F(CurlTransferTest, AnUntrustedCertificateFailsTheRequest) {
  testing::SelfSignedTlsServer impostor;
  const std::string target = "https://127.0.0.1:" + std::to_string(impostor.port()) + "/a";
  transfer->Execute(Text(target.begin(), target.end()));
  ASSERT_TRUE(runUntil([&] { return !states.empty(); }));
  EXPECT_EQ(states, std::vector<std::int16_t>{kTransferFailed});
  EXPECT_EQ(transfer->ResponseCode(), 60) << "peer certificate cannot be authenticated";
}

// The pace rule judges each period of the time-out on its own: a slow body that keeps coming
// may take many periods.
TEST_F(CurlTransferTest, ASteadySlowBodyMayOutlastTheTimeout) {
  testing::Reply steady = okReply(patternBytes(75));
  steady.dripFrom = testing::headLength(steady);
  steady.dripBytes = 15;
  steady.dripPause = std::chrono::milliseconds(500);
  server.route("/a", steady);
  transfer->RequestTimeout(1);
  execute("/a");
  ASSERT_TRUE(runUntil([&] { return !states.empty(); }));
  std::optional<ScriptError> failure;
  EXPECT_EQ(body(failure), patternBytes(75));
  EXPECT_FALSE(failure.has_value()) << toUtf8(failure->description());
}

struct Flood {
  const char* name;
  testing::Reply reply;
  std::int16_t state;
  std::string saved;  // what the reader gets, when the response is taken
};

class Floods : public CurlTransferTest,
               public ::testing::WithParamInterface<testing::LazyCase<Flood>> {};

// Whatever the server sends while the reader lags, memory stays within the body buffer and the
// bytes are the ones served.
TEST_P(Floods, KeepMemoryBounded) {
  const Flood flood = GetParam().make();
  server.route("/a", flood.reply);
  const PeakMemoryWatch memory;
  execute("/a");
  ASSERT_TRUE(runUntil([&] { return !states.empty(); }));
  lagBehind();
  EXPECT_NO_THROW(EXPECT_TRUE(bodyMatches(flood.saved)) << "not the bytes served");
  EXPECT_EQ(states, std::vector<std::int16_t>{flood.state});
  if (PeakMemoryWatch::meaningful()) {
    EXPECT_LT(memory.riseBytes(), kMemoryBound);
  }
}

Flood asServed(const char* name, const std::string& headerLines, const std::string& body) {
  return {name, replyWithHeaders(headerLines, body), kResponseCompleted, body};
}

const std::string& expandingGzip() {
  static const std::string gzip = testing::gzipOfZeros(256 << 20);
  return gzip;
}

INSTANTIATE_TEST_SUITE_P(
    Http, Floods,
    ::testing::Values(
        testing::LazyCase<Flood>{"LargeBody",
                                 [] { return asServed("LargeBody", "", patternBytes(48 << 20)); }},
        testing::LazyCase<Flood>{"ContentEncodedBomb",
                                 [] {
                                   return asServed("ContentEncodedBomb",
                                                   "Content-Encoding: gzip\r\n", expandingGzip());
                                 }},
        testing::LazyCase<Flood>{"TransferEncodedBomb",
                                 [] {
                                   return Flood{"TransferEncodedBomb",
                                                replyWithHeaders("Transfer-Encoding: gzip\r\n",
                                                                 expandingGzip()),
                                                kTransferFailed, ""};
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
