#include "platform/posix/curl_transfer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/script_error.h"
#include "support/loopback_http_server.h"
#include "support/self_signed_tls_server.h"

namespace hv {
namespace {

using testing::LoopbackHttpServer;
using testing::okReply;
using testing::patternBytes;

constexpr auto kLongestRun = std::chrono::seconds(20);

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

  LoopbackHttpServer server;
  EventLoop loop;
  CurlTransferFactory factory{loop, {}};
  std::unique_ptr<TransferControl> transfer = factory.createTransferControl();
  std::vector<std::int16_t> states;
};

TEST_F(CurlTransferTest, ReportsThroughTheLoopThenStreamsTheBodyInChunks) {
  const std::string body = patternBytes(10000);
  server.route("/a", okReply(body));
  execute("/a");
  EXPECT_TRUE(states.empty()) << "never from inside Execute";
  ASSERT_TRUE(runUntil([&] { return !states.empty(); }));
  EXPECT_EQ(states, std::vector<std::int16_t>{kResponseCompleted});
  EXPECT_EQ(transfer->GetHeader(u"STATUS"), u"200 OK");
  EXPECT_EQ(transfer->GetHeader(u"content-length"), u"10000");
  EXPECT_EQ(transfer->GetHeader(u"X-Absent"), u"");
  EXPECT_EQ(transfer->ResponseCode(), 200);
  EXPECT_EQ(chunk(), body.substr(0, 4096));
  EXPECT_EQ(chunk(), body.substr(4096, 4096));
  EXPECT_EQ(chunk(), body.substr(8192));
  EXPECT_EQ(chunk(), "");
  EXPECT_EQ(chunk(), "");
}

TEST_F(CurlTransferTest, OnlyHttpHttpsAndFtpAreExecuted) {
  for (const char16_t* refused :
       {u"file:///etc/passwd", u"gopher://127.0.0.1/", u"", u"dict://x/"}) {
    try {
      transfer->Execute(refused);
      ADD_FAILURE() << "accepted a URL it must refuse";
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.number(), 5);
    }
  }
  loop.pumpOnce();
  EXPECT_TRUE(states.empty());
}

TEST_F(CurlTransferTest, CancelBeforeTheResponseSilencesTheRequest) {
  testing::Reply slow = okReply("abc");
  slow.dripBytes = 1;
  slow.dripPause = std::chrono::milliseconds(1);
  server.route("/a", slow);
  execute("/a");
  ASSERT_TRUE(runUntil([&] { return !server.requests().empty(); }));
  transfer->Cancel();
  transfer->Cancel();
  for (int i = 0; i < 100; ++i)
    loop.waitAndPump(std::chrono::milliseconds(1));
  EXPECT_TRUE(states.empty());
  EXPECT_EQ(chunk(), "");
}

TEST_F(CurlTransferTest, CancelFromInsideAPumpEndsAWaitingGetChunk) {
  testing::Reply drip = okReply(patternBytes(8000));
  drip.dripBytes = 100;
  drip.dripPause = std::chrono::milliseconds(5);
  server.route("/a", drip);
  execute("/a");
  ASSERT_TRUE(runUntil([&] { return !states.empty(); }));
  loop.post([&] { transfer->Cancel(); });
  EXPECT_EQ(chunk(), "") << "the wait pumps, the cancel runs, and nothing more is handed out";
}

TEST_F(CurlTransferTest, ANotificationForADestroyedTransferIsDropped) {
  server.route("/a", okReply("abc"));
  execute("/a");
  ASSERT_TRUE(runUntil([&] { return server.requests().size() == 1; }));
  for (int i = 0; i < 20; ++i)
    loop.waitAndPump(std::chrono::milliseconds(1));
  transfer.reset();
  for (int i = 0; i < 5; ++i)
    loop.pumpOnce();
  SUCCEED() << "nothing called into the freed transfer (the sanitizer build checks)";
}

TEST_F(CurlTransferTest, AnUntrustedCertificateFailsTheRequest) {
  testing::SelfSignedTlsServer impostor;
  const std::string target = "https://127.0.0.1:" + std::to_string(impostor.port()) + "/a";
  transfer->Execute(Text(target.begin(), target.end()));
  ASSERT_TRUE(runUntil([&] { return !states.empty(); }));
  EXPECT_EQ(states, std::vector<std::int16_t>{kTransferFailed});
  EXPECT_EQ(transfer->ResponseCode(), 60) << "peer certificate cannot be authenticated";
}

}  // namespace
}  // namespace hv
