#include "posix/curl_transfer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/script_error.h"
#include "runtime/text_encoding.h"
#include "support/gzip_bytes.h"
#include "support/lazy_case.h"
#include "support/loopback_http_server.h"
#include "support/peak_memory.h"
#include "support/self_signed_tls_server.h"

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

TEST_F(CurlTransferTest, ABodyCutByTheConnectionHandsOutItsBytesThenTheFailure) {
  server.route("/a", replyWithHeaders("Transfer-Encoding: chunked\r\n",
                                      testing::chunks(patternBytes(6000), 3000) + "zz\r\n"));
  execute("/a");
  ASSERT_TRUE(runUntil([&] { return !states.empty(); }));
  std::optional<ScriptError> failure;
  EXPECT_EQ(body(failure), patternBytes(6000));
  ASSERT_TRUE(failure.has_value()) << "the body must not end as if it were whole";
  EXPECT_EQ(failure->number(), kTransferFailure);
  EXPECT_THAT(toUtf8(failure->description()), ::testing::StartsWith("56 Illegal"));
  EXPECT_EQ(transfer->ResponseCode(), 56);
  EXPECT_THROW(chunk(), ScriptError) << "asked again, it fails again";
  EXPECT_EQ(states, std::vector<std::int16_t>{kResponseCompleted});
  transfer->Cancel();
  EXPECT_EQ(chunk(), "");
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
