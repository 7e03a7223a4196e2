// The engine over real HTTP: libcurl, the host's event loop and POSIX files, against a scripted
// loopback server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "control/module_state.h"
#include "download/inet_downloader.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_event_log.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_temp_folder.h"
#include "posix/composition/host_network.h"
#include "runtime/text_encoding.h"
#include "support/gzip_bytes.h"
#include "support/loopback_http_server.h"
#include "support/loopback_site.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;
using ::testing::StartsWith;
using namespace testing;
namespace ids = inet_downloader_dispid;

constexpr auto kLongestRun = std::chrono::seconds(20);

class DownloadOverHttp : public ::testing::Test, protected LoopbackSite {
 protected:
  DownloadOverHttp() {
    threadModuleState().logLevel = 0;
    tempFolder.path = dir.slashed();
    downloader.findConnectionPoint(downloader.classInfo().eventInterface.current.iid)->advise(sink);
  }

  // Starts the download of `path` on the site and runs the loop until the outcome, then a few
  // pumps more so that a second, unwanted event would show.
  void fetch(const std::string& path, InetDownloader& which) {
    Text url = u"http://www.corvantis.example" + fromUtf8(path), dest;
    which.Download(url, dest);
    network.loop.runUntil([&] { return sink->finished(); },
                          std::chrono::steady_clock::now() + kLongestRun);
    for (int i = 0; i < 5; ++i)
      network.loop.pumpOnce();
  }
  void fetch(const std::string& path) { fetch(path, downloader); }

  std::string saved() { return readFile(dir / toUtf8(downloader.RemoteFileToDownload().toText())); }

  TempDir dir;
  InetDownloader downloader{platform};
  std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
};

TEST_F(DownloadOverHttp, CopiesTheBodyInFourKilobyteChunks) {
  const std::string body = patternBytes(10000);
  server.route("/dl/report.cvx?id=7", okReply(body));
  fetch("/dl/report.cvx?id=7");
  EXPECT_THAT(sink->progress(), ElementsAre(Pair(4096, 5904), Pair(8192, 1808), Pair(10000, 0)));
  EXPECT_EQ(sink->count(ids::kEventDownloadComplete), 1);
  EXPECT_EQ(sink->count(ids::kEventError), 0);
  EXPECT_EQ(downloader.RemoteFileToDownload().toText(), u"report63921449486000.cvx");
  EXPECT_EQ(saved(), body);
  EXPECT_THAT(eventLog.entries.at(1).message,
              u"Received Response with status =10000 Response Code:200 Http Status 200 OK");
}

struct Served {
  const char* name;
  Reply reply;
};

void PrintTo(const Served& c, std::ostream* os) {
  *os << c.name;
}

class ServedExactly : public DownloadOverHttp, public ::testing::WithParamInterface<Served> {};

// Bodies that must arrive byte for byte, however the server paces or frames them.
TEST_P(ServedExactly, CompletesWithTheServedBytes) {
  const std::string body = patternBytes(GetParam().name == std::string("Large") ? 3 << 20 : 10000);
  Reply reply = GetParam().reply;
  if (reply.bytes.empty())
    reply = okReply(body);
  reply.dripBytes = GetParam().reply.dripBytes;
  reply.dripPause = GetParam().reply.dripPause;
  server.route("/a.cvx", reply);
  server.route("/b.cvx", okReply(body));
  fetch("/a.cvx");
  ASSERT_EQ(sink->count(ids::kEventDownloadComplete), 1) << toUtf8(sink->error().second);
  EXPECT_EQ(sink->count(ids::kEventError), 0);
  EXPECT_EQ(saved(), body);
  const auto progress = sink->progress();
  EXPECT_EQ(progress.back(), std::make_pair(static_cast<std::int32_t>(body.size()), 0));
  for (std::size_t i = 0; i + 1 < progress.size(); ++i)
    EXPECT_EQ(progress[i].first, static_cast<std::int32_t>(4096 * (i + 1)));
}

INSTANTIATE_TEST_SUITE_P(
    Http, ServedExactly,
    ::testing::Values(Served{"AllAtOnce", {}}, Served{"Large", {}},
                      Served{"SlowDrip", {"", 1500, std::chrono::milliseconds(2)}},
                      Served{"LongerThanItsLengthIsCutToIt",
                             replyWithLength(patternBytes(10000) + "trailing junk", "10000")},
                      Served{"RepeatedEqualLengths",
                             replyWithHeaders("Content-Length: 10000\r\ncontent-length: 10000\r\n",
                                              patternBytes(10000))},
                      Served{"ContentEncodedAsServed",
                             replyWithHeaders("Content-Encoding: gzip\r\nContent-Length: 10000\r\n",
                                              patternBytes(10000))},
                      Served{"RelativeRedirect", redirectReply("/b.cvx")},
                      Served{"AbsoluteRedirectInDomain",
                             redirectReply("http://www.corvantis.example/b.cvx")}),
    [](const auto& info) { return std::string(info.param.name); });

struct Fault {
  const char* name;
  Reply reply;
  std::int32_t error;
  std::string description;  // the start of it
};

void PrintTo(const Fault& c, std::ostream* os) {
  *os << c.name;
}

class Faults : public DownloadOverHttp, public ::testing::WithParamInterface<Fault> {};

// Whatever arrived of a failed body is removed: no file that looks complete stays behind.
TEST_P(Faults, EndInExactlyOneErrorAndLeaveNoFile) {
  server.route("/a.cvx", GetParam().reply);
  fetch("/a.cvx");
  ASSERT_EQ(sink->count(ids::kEventError), 1);
  EXPECT_EQ(sink->count(ids::kEventDownloadComplete), 0);
  EXPECT_EQ(sink->error().first, GetParam().error);
  EXPECT_THAT(toUtf8(sink->error().second), StartsWith(GetParam().description));
  EXPECT_LT(sink->error().second.size(), 200u) << "server text is cut";
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_EQ(network.files.freeFileNumber(), 1) << "the file is released";
}

Reply cutShort(Reply::Then then, std::size_t served = 5000) {
  Reply reply = replyWithLength(patternBytes(served), "10000");
  reply.then = then;
  return reply;
}

// The body follows the head a few bytes at a time, slower than the lowest pace allowed.
Reply dripFedBody() {
  Reply reply = okReply(patternBytes(1000));
  reply.dripFrom = headLength(reply);
  reply.dripBytes = 1;
  reply.dripPause = std::chrono::milliseconds(200);
  return reply;
}

// Each header line comes well within the time-out, the whole head does not.
Reply dripFedHeaders() {
  std::string padding;
  for (int i = 0; i < 20; ++i)
    padding += "X-Pad: a\r\n";
  Reply reply = replyWithHeaders(padding + "Content-Length: 3\r\n", "abc");
  reply.dripBytes = 10;
  reply.dripPause = std::chrono::milliseconds(200);
  return reply;
}

// A compressed body announced with the length it would expand to.
Reply transferCoded(const std::string& codings) {
  const std::size_t expanded = 4 << 20;
  const std::string gzip = gzipOfZeros(expanded);
  return replyWithHeaders(
      "Transfer-Encoding: " + codings + "\r\nContent-Length: " + std::to_string(expanded) + "\r\n",
      codings.ends_with("chunked") ? chunks(gzip, 16384) + "0\r\n\r\n" : gzip);
}

INSTANTIATE_TEST_SUITE_P(
    Http, Faults,
    ::testing::Values(
        Fault{"NeverAnswers", {"", 0, {}, Reply::Then::Stall}, -20000015, "28 Timed out"},
        Fault{"NotFound", statusReply(404, "Not Found"), -20000015, "404 Not Found"},
        Fault{"ServerError", statusReply(500, "Internal Server Error"), -20000015,
              "500 Internal Server Error"},
        Fault{"EarlyClose", cutShort(Reply::Then::Close), -20000015,
              "18 transfer closed with 5000 bytes remaining to read"},
        Fault{"StallMidBody", cutShort(Reply::Then::Stall), -20000015,
              "28 Timed out: fewer than 10 bytes a second from the server over 1 seconds"},
        Fault{"ResetMidBody", cutShort(Reply::Then::Reset), -20000015, "56 "},
        Fault{"ResetAfterHeaders", cutShort(Reply::Then::Reset, 0), -20000015, "56 "},
        Fault{"DripFedBody", dripFedBody(), -20000015,
              "28 Timed out: fewer than 10 bytes a second from the server over 1 seconds"},
        Fault{"DripFedHeaders", dripFedHeaders(), -20000015,
              "28 Timed out: no response from the server within 1 seconds"},
        Fault{"ChunkedWithALengthThatDisagrees",
              replyWithHeaders("Transfer-Encoding: chunked\r\nContent-Length: 5\r\n",
                               chunks(patternBytes(20), 10) + "0\r\n\r\n"),
              -20000015,
              "8 Both Content-Length and Transfer-Encoding: the body is framed two ways"},
        Fault{"ChunkedWithLength",
              replyWithHeaders("Transfer-Encoding: chunked\r\nContent-Length: 10000\r\n",
                               chunks(patternBytes(10000), 3000) + "0\r\n\r\n"),
              -20000015, "8 Both Content-Length and Transfer-Encoding"},
        Fault{"PartialContent", statusReply(206, "Partial Content"), -20000015,
              "206 Partial Content (only a part of the file)"},
        Fault{"NotModified", statusReply(304, "Not Modified"), -20000015,
              "304 Not Modified (no file: a status this download does not follow)"},
        Fault{"FoundWithoutLocation", statusReply(302, "Found"), -20000015,
              "302 Found (redirect without a usable target)"},
        Fault{"UnknownRedirectStatus", statusReply(399, "Odd"), -20000015,
              "399 Odd (no file: a status this download does not follow)"},
        Fault{"StatusBelowAnyClass",
              {"HTTP/1.1 099 Odd\r\nContent-Length: 3\r\n\r\nabc"},
              -20000015,
              "1 Unsupported response code"},
        Fault{"ReasonWithTerminalControls",
              statusReply(500, "\x1b]0;owned\x07\xe2\x80\xae" + std::string(5000, 'x')), -20000015,
              "500 \\x1b]0;owned\\x07\\u202e" + std::string(69, 'x') + "..."},
        Fault{"ConflictingLengths",
              replyWithHeaders("Content-Length: 5\r\nContent-Length: 100\r\n", patternBytes(7)),
              -20000015, "8 Conflicting Content-Length values"},
        Fault{"RepeatedLengthsThatDisagree",
              replyWithHeaders("Content-Length: 7\r\nContent-Length: 007\r\n"
                               "Content-Length: 70\r\n",
                               patternBytes(7)),
              -20000015, "8 Conflicting Content-Length values"},
        Fault{"LengthWithTrailingJunk", replyWithLength(patternBytes(7), "5abc"), -20000015,
              "8 Invalid Content-Length"},
        Fault{"LengthWithExponent", replyWithLength(patternBytes(7), "1e3"), -20000015,
              "8 Invalid Content-Length"},
        Fault{"LengthWithSign", replyWithLength(patternBytes(7), "+7"), -20000015,
              "8 Invalid Content-Length"},
        Fault{"TransferCodedGzip", transferCoded("gzip"), -20000015,
              "61 Unsupported Transfer-Encoding: gzip"},
        Fault{"TransferCodedThenChunked", transferCoded("gzip, chunked"), -20000015,
              "61 Unsupported Transfer-Encoding: gzip, chunked"},
        Fault{"TransferCodedIdentity", transferCoded("identity"), -20000015,
              "61 Unsupported Transfer-Encoding: identity"},
        Fault{"LengthMissing", replyWithoutLength("abc"), 13, "Type mismatch"},
        Fault{"LengthEmpty", replyWithLength("abc", ""), -20000015, "8 Invalid Content-Length"},
        Fault{"LengthNotANumber", replyWithLength("abc", "abc"), -20000015,
              "8 Invalid Content-Length"},
        Fault{"LengthAboveLongRange", replyWithLength("abc", "3000000000"), 6, "Overflow"},
        Fault{"Chunked", chunkedReply("abcdef", 2), 13, "Type mismatch"},
        Fault{"RedirectOutOfDomain", redirectReply("http://www.elsewhere.example/a.cvx"), -20000015,
              "302 Redirect to http://www.elsewhere.example/a.cvx refused: outside the "
              "permitted site"},
        Fault{"RedirectLoop", redirectReply("/a.cvx"), -20000015,
              "302 Too many redirects (more than 5)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadOverHttp, RefusedConnectionIsOneError) {
  HostNetwork elsewhere{optionsFor(portNobodyListensOn())};
  Platform refused{registry,        eventLog,       tempFolder,
                   clock,           elsewhere.loop, elsewhere.transfers,
                   elsewhere.files, processes,      installerTrust};
  InetDownloader lonely(refused);
  lonely.findConnectionPoint(lonely.classInfo().eventInterface.current.iid)->advise(sink);
  Text url = u"http://www.corvantis.example/a.cvx", dest;
  lonely.Download(url, dest);
  elsewhere.loop.runUntil([&] { return sink->finished(); },
                          std::chrono::steady_clock::now() + kLongestRun);
  EXPECT_EQ(sink->events.size(), 1u);
  EXPECT_EQ(sink->error().first, -20000015);
  EXPECT_THAT(toUtf8(sink->error().second), StartsWith("7 "));
}

TEST_F(DownloadOverHttp, EmptyBodyGivesAnEmptyFile) {
  server.route("/a.cvx", okReply(""));
  fetch("/a.cvx");
  EXPECT_EQ(sink->count(ids::kEventDownloadComplete), 1);
  EXPECT_TRUE(sink->progress().empty());
  EXPECT_EQ(saved(), "");
}

TEST_F(DownloadOverHttp, TwoDownloadsOfOneUrlGoToTwoFiles) {
  server.route("/a.cvx", okReply("first"));
  fetch("/a.cvx");
  server.route("/a.cvx", okReply("second"));
  InetDownloader again(platform);
  again.findConnectionPoint(again.classInfo().eventInterface.current.iid)->advise(sink);
  sink->events.clear();
  fetch("/a.cvx", again);
  EXPECT_EQ(readFile(dir / "a63921449486000.cvx"), "first");
  EXPECT_EQ(readFile(dir / "a63921449487000.cvx"), "second");
}

TEST_F(DownloadOverHttp, UnwritableFolderIsOneFileError) {
  tempFolder.path = dir.slashed() + "missing/";
  server.route("/a.cvx", okReply("abc"));
  fetch("/a.cvx");
  EXPECT_EQ(sink->events.size(), 1u);
  EXPECT_EQ(sink->error(), std::make_pair(76, Text(u"Path not found")));
}

TEST_F(DownloadOverHttp, FailingProgressHandlerLeavesTheBodyToArrive) {
  server.route("/a.cvx", okReply(patternBytes(100000)));
  sink->react = [](DispId id, std::span<Variant>) {
    if (id == ids::kEventProgress)
      throw ScriptError(424, u"page", u"Object required");
  };
  fetch("/a.cvx");
  EXPECT_EQ(sink->count(ids::kEventError), 0);
  EXPECT_EQ(sink->count(ids::kEventDownloadComplete), 1);
  EXPECT_EQ(saved(), patternBytes(100000));
}

TEST_F(DownloadOverHttp, CancelFromScriptDuringThePumpEndsInOneError) {
  server.route("/a.cvx", okReply(patternBytes(100000)));
  sink->react = [&](DispId id, std::span<Variant>) {
    if (id == ids::kEventProgress && sink->progress().size() == 2)
      network.loop.post([&] { downloader.Cancel(); });
  };
  fetch("/a.cvx");
  EXPECT_EQ(sink->count(ids::kEventError), 1);
  EXPECT_EQ(sink->count(ids::kEventDownloadComplete), 0);
  EXPECT_EQ(sink->error().second, u"Download incomplete: received 8192 of 100000 announced bytes");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace hv
