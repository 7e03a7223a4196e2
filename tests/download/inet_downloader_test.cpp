#include "download/inet_downloader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "control/module_state.h"
#include "fakes/fake_platform.h"
#include "runtime/numeric_conversion.h"
#include "support/recording_sink.h"
#include "support/scoped_code_page.h"

namespace hv {
namespace {

using ::testing::ElementsAre;
using testing::FakeTransfer;
using ::testing::IsEmpty;
using ::testing::Pair;
using testing::RecordingSink;
namespace ids = inet_downloader_dispid;

constexpr char16_t kUrl[] = u"http://www.corvantis.example/dl/report.cvx?id=7";
// The fake clock's stamp, 7 December 2026 14:11:26.
constexpr char16_t kLocalName[] = u"report63921449486000.cvx";

std::string bytesOf(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
  return bytes;
}

class InetDownloaderTest : public ::testing::Test {
 protected:
  InetDownloaderTest() {
    threadModuleState().logLevel = 0;  // no Base in this thread: every line is written
    downloader.findConnectionPoint(downloader.classInfo().eventInterface.current.iid)->advise(sink);
  }

  FakeTransfer& inet() { return *fake.transfers.created.front(); }

  void download(Text url = kUrl, Text dest = u"") { downloader.Download(url, dest); }

  // Download, then the transfer reports the response complete.
  void fetch(const std::string& body, const Text& contentLength) {
    download();
    inet().respond(body, contentLength);
    inet().deliver(kResponseCompleted);
  }

  Text remoteFile() { return downloader.RemoteFileToDownload().toText(); }
  std::string saved(const Text& name = kLocalName) { return fake.files.content(u"/tmp/" + name); }

  testing::FakePlatform fake;
  InetDownloader downloader{fake.platform};
  std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
};

struct BodyCase {
  const char* name;
  std::size_t served;
  const char16_t* contentLength;
  std::vector<std::pair<std::int32_t, std::int32_t>> progress;
  bool completes;
};

void PrintTo(const BodyCase& c, std::ostream* os) {
  *os << c.name;
}

class BodyLengths : public InetDownloaderTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(BodyLengths, ChunksProgressAndOutcomeFollowTheLengths) {
  const BodyCase& c = GetParam();
  const std::string body = bytesOf(c.served);
  fetch(body, c.contentLength);

  EXPECT_EQ(sink->progress(), c.progress);
  if (c.completes)
    EXPECT_EQ(saved(), body) << "the whole served body is kept";
  else
    EXPECT_THAT(fake.files.files, IsEmpty()) << "a short body leaves no file";
  EXPECT_EQ(fake.files.openCount(), 0u);
  // One pump per chunk read, the final empty read included.
  EXPECT_EQ(fake.messagePump.pumps, static_cast<int>(c.progress.size()) + 1);
  EXPECT_THAT(inet().chunkSizes, ::testing::Each(4096));
  if (c.completes) {
    EXPECT_EQ(sink->count(ids::kEventDownloadComplete), 1);
    EXPECT_EQ(sink->count(ids::kEventError), 0);
  } else {
    EXPECT_EQ(sink->count(ids::kEventDownloadComplete), 0);
    EXPECT_EQ(sink->error(), std::make_pair(-20000015, Text(u"Download incomplete: received 5000 "
                                                            u"of 10000 announced bytes")));
  }
  EXPECT_EQ(remoteFile(), kLocalName);
  EXPECT_GE(inet().cancels, 1) << "the connection is released either way";
}

INSTANTIATE_TEST_SUITE_P(
    InetDownloader, BodyLengths,
    ::testing::Values(
        BodyCase{"Empty", 0, u"0", {}, true},
        BodyCase{"OneFullChunk", 4096, u"4096", {{4096, 0}}, true},
        BodyCase{"ThreeChunks", 10000, u"10000", {{4096, 5904}, {8192, 1808}, {10000, 0}}, true},
        BodyCase{"LongerThanAnnounced",
                 10000,
                 u"5000",
                 {{4096, 904}, {8192, -3192}, {10000, -5000}},
                 true},
        BodyCase{"ShorterThanAnnounced", 5000, u"10000", {{4096, 5904}, {5000, 5000}}, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct LengthFault {
  const char* name;
  std::optional<Text> contentLength;
  std::int32_t error;
};

void PrintTo(const LengthFault& c, std::ostream* os) {
  *os << c.name;
}

class ContentLengthFaults : public InetDownloaderTest,
                            public ::testing::WithParamInterface<LengthFault> {};

TEST_P(ContentLengthFaults, EndInOneErrorAfterTheResponseLine) {
  download();
  inet().respond("abc", u"");
  if (GetParam().contentLength)
    inet().headers[u"Content-Length"] = *GetParam().contentLength;
  else
    inet().headers.erase(u"Content-Length");
  inet().deliver(kResponseCompleted);

  EXPECT_EQ(sink->events.size(), 1u);
  EXPECT_EQ(sink->error().first, GetParam().error);
  EXPECT_TRUE(fake.files.opened.empty());
  ASSERT_EQ(fake.eventLog.entries.size(), 2u);
  EXPECT_TRUE(fake.eventLog.entries[1].message.starts_with(u"Received Response with status ="));
}

INSTANTIATE_TEST_SUITE_P(InetDownloader, ContentLengthFaults,
                         ::testing::Values(LengthFault{"Missing", std::nullopt, 13},
                                           LengthFault{"Empty", u"", 13},
                                           LengthFault{"NotANumber", u"abc", 13},
                                           LengthFault{"AboveLongRange", u"3000000000", 6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InetDownloaderTest, WritesItsThreeLogLines) {
  fetch(bytesOf(10), u"10");
  std::vector<Text> lines;
  for (const auto& e : fake.eventLog.entries) {
    EXPECT_EQ(e.type, kEventInformation);
    lines.push_back(e.message);
  }
  EXPECT_THAT(lines, ElementsAre(Text(u"Downloading ") + kUrl,
                                 u"Received Response with status =10 Response Code:0 Http "
                                 u"Status 200 OK",
                                 Text(u"Saving to /tmp/") + kLocalName));
}

TEST_F(InetDownloaderTest, FailedRequestCancelsThenReportsCodeAndText) {
  download();
  inet().responseCode = 404;
  inet().responseInfo = u"Not Found";
  int cancelsWhenRaised = -1;
  sink->react = [&](DispId, std::span<Variant>) { cancelsWhenRaised = inet().cancels; };
  inet().deliver(kTransferFailed);

  EXPECT_EQ(sink->events.size(), 1u);
  EXPECT_EQ(sink->error(), std::make_pair(-20000015, Text(u"404 Not Found")));
  EXPECT_EQ(cancelsWhenRaised, 1);
}

TEST_F(InetDownloaderTest, StatesOtherThanFailedAndCompletedDoNothing) {
  download();
  inet().respond("abc", u"3");
  for (std::int16_t state : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13})
    inet().deliver(state);
  EXPECT_THAT(sink->events, IsEmpty());
  EXPECT_THAT(inet().chunkSizes, IsEmpty());
  EXPECT_EQ(fake.eventLog.entries.size(), 1u) << "only the Downloading line";
}

TEST_F(InetDownloaderTest, RemoteFileIsTheUrlNameThenTheLocalName) {
  download();
  EXPECT_EQ(remoteFile(), u"report.cvx");
  EXPECT_EQ(inet().executed, std::vector<Text>{kUrl});
  inet().respond("x", u"1");
  inet().deliver(kResponseCompleted);
  EXPECT_EQ(remoteFile(), kLocalName);
  EXPECT_TRUE(fake.files.files.contains(Text(u"/tmp/") + kLocalName));
}

TEST_F(InetDownloaderTest, OutOfDomainUrlRaisesAndChangesNothing) {
  download();
  try {
    download(u"http://www.elsewhere.example/report.cvx");
    FAIL() << "no error raised";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), -200002);
    EXPECT_EQ(e.source(), u"Corvantis Halverine Downloader");
  }
  EXPECT_EQ(remoteFile(), u"report.cvx");
  EXPECT_EQ(inet().executed.size(), 1u);
}

TEST_F(InetDownloaderTest, RefusedExecuteGoesToTheCaller) {
  inet().refuseExecute = true;
  EXPECT_THROW(download(), ScriptError);
  EXPECT_THAT(sink->events, IsEmpty());
}

TEST_F(InetDownloaderTest, SameNameWithinOneSecondGetsTheNextFreeStamp) {
  fake.files.files[Text(u"/tmp/") + kLocalName] = {'o', 'l', 'd'};
  fetch("new", u"3");
  EXPECT_EQ(remoteFile(), u"report63921449487000.cvx");
  EXPECT_EQ(saved(kLocalName), "old") << "an existing file is never touched";
  EXPECT_EQ(saved(u"report63921449487000.cvx"), "new");
}

TEST_F(InetDownloaderTest, TwoDownloadsOfOneUrlInDifferentSecondsGoToTwoFiles) {
  fetch("first", u"5");
  InetDownloader second(fake.platform);
  fake.clock.now.second += 1;
  Text url = kUrl, dest;
  second.Download(url, dest);
  fake.transfers.last().respond("second", u"6");
  fake.transfers.last().deliver(kResponseCompleted);
  EXPECT_EQ(saved(kLocalName), "first");
  EXPECT_EQ(saved(second.RemoteFileToDownload().toText()), "second");
  EXPECT_NE(second.RemoteFileToDownload().toText(), kLocalName);
}

TEST_F(InetDownloaderTest, FileTypeAndDestinationChangeNothing) {
  std::int16_t characterMode = 0;
  downloader.fileType(characterMode);
  download(kUrl, u"/somewhere/else/");
  inet().respond("\x81\x8d\xff", u"3");
  inet().deliver(kResponseCompleted);
  EXPECT_EQ(saved(), "\x81\x8d\xff");
}

// Character mode (a page may call ReadCharacterData itself) converts each 4096-byte chunk on its
// own: a character cut by a chunk's end, and bytes that are no character at all, must still reach
// the file as served.
TEST_F(InetDownloaderTest, CharacterModeWritesTheServedBytesWhereverAChunkEnds) {
  const std::string tail = "\xF0\x9F\x98\x80 \xC3\xBC \xFF\xC3 \x80\x9D";
  for (const AnsiCodePage page : {AnsiCodePage::Utf8, AnsiCodePage::Windows1252}) {
    testing::ScopedCodePage codePage(page);
    for (std::size_t before = 4093; before <= 4096; ++before) {
      const std::string body = std::string(before, 'a') + tail + std::string(5000, 'b') + tail;
      InetDownloader character(fake.platform);
      Text url = kUrl, dest;
      character.Download(url, dest);
      fake.transfers.last().respond(body, numberToText(static_cast<std::int32_t>(body.size())));
      character.OpenFile();
      character.ReadCharacterData();
      EXPECT_EQ(saved(character.RemoteFileToDownload().toText()), body) << before;
      character.Cancel();
    }
  }
}

struct OpenFault {
  const char* name;
  const char16_t* url;
  std::optional<std::int32_t> openFailure;
  std::int32_t error;
};

void PrintTo(const OpenFault& c, std::ostream* os) {
  *os << c.name;
}

class OpenFileFaults : public InetDownloaderTest,
                       public ::testing::WithParamInterface<OpenFault> {};

TEST_P(OpenFileFaults, EndInOneErrorWithNothingLeftOpen) {
  fake.files.failOpen = GetParam().openFailure;
  download(GetParam().url);
  inet().respond("abc", u"3");
  inet().deliver(kResponseCompleted);
  EXPECT_EQ(sink->events.size(), 1u);
  EXPECT_EQ(sink->error(), std::make_pair(GetParam().error, standardErrorText(GetParam().error)));
  EXPECT_EQ(fake.files.openCount(), 0u);
  EXPECT_THAT(inet().chunkSizes, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    InetDownloader, OpenFileFaults,
    ::testing::Values(OpenFault{"NameWithoutDot", u"http://www.corvantis.example/report", {}, 5},
                      OpenFault{
                          "NameWithBackslash", u"http://www.corvantis.example/..\\x.cvx", {}, 52},
                      OpenFault{"FolderMissing", kUrl, 76, 76},
                      OpenFault{"FolderNotWritable", kUrl, 75, 75}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InetDownloaderTest, FailingWriteRemovesThePartialFileAndReportsTheFileError) {
  download();
  inet().respond(bytesOf(10000), u"10000");
  sink->react = [&](DispId id, std::span<Variant>) {
    if (id == ids::kEventProgress)
      fake.files.failWrite = runtime_error::kDiskFull;
  };
  inet().deliver(kResponseCompleted);
  EXPECT_EQ(sink->progress().size(), 1u);
  EXPECT_EQ(sink->error(), std::make_pair(61, Text(u"Disk full")));
  EXPECT_THAT(fake.files.files, IsEmpty()) << "the partial file is removed";
  EXPECT_EQ(fake.files.openCount(), 0u);
}

TEST_F(InetDownloaderTest, FailingCompletionHandlerIsFollowedByError) {
  sink->react = [](DispId id, std::span<Variant>) {
    if (id == ids::kEventDownloadComplete)
      throw ScriptError(99, u"page", u"complete broke");
  };
  fetch("abc", u"3");
  EXPECT_EQ(sink->count(ids::kEventDownloadComplete), 1);
  EXPECT_EQ(sink->error(), std::make_pair(99, Text(u"complete broke")));
}

// What a Progress handler does on the first chunk, failing with any error its call got: the
// engine's own counts and file go on.
struct HandlerCase {
  const char* name;
  std::function<void(InetDownloader&, std::span<Variant>)> act;
  std::int32_t refused;  // the error the handler's own call gets, if it makes one
};

void PrintTo(const HandlerCase& c, std::ostream* os) {
  *os << c.name;
}

class ProgressHandlers : public InetDownloaderTest,
                         public ::testing::WithParamInterface<HandlerCase> {};

TEST_P(ProgressHandlers, LeaveTheEnginesCountsAndFileAlone) {
  std::int32_t refused = 0;
  sink->react = [&, done = false](DispId id, std::span<Variant> args) mutable {
    if (id != ids::kEventProgress || done)
      return;
    done = true;
    try {
      GetParam().act(downloader, args);
    } catch (const ScriptError& failure) {
      refused = failure.number();
      throw;  // and the handler fails with it
    }
  };
  fetch(bytesOf(10000), u"10000");
  EXPECT_EQ(refused, GetParam().refused);
  EXPECT_THAT(sink->progress(), ElementsAre(Pair(4096, 5904), Pair(8192, 1808), Pair(10000, 0)));
  EXPECT_EQ(sink->count(ids::kEventDownloadComplete), 1);
  EXPECT_EQ(sink->count(ids::kEventError), 0);
  EXPECT_EQ(saved(), bytesOf(10000));
  EXPECT_EQ(fake.files.opened.size(), 1u);
  EXPECT_EQ(fake.files.openCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    InetDownloader, ProgressHandlers,
    ::testing::Values(
        HandlerCase{"WritesANegativeCount",
                    [](InetDownloader&, std::span<Variant> args) { args[0] = Variant(-5); }, 0},
        HandlerCase{"WritesTheWholeLength",
                    [](InetDownloader&, std::span<Variant> args) {
                      args[0] = Variant(std::int32_t{10000});
                      args[1] = Variant(std::int32_t{0});
                    },
                    0},
        HandlerCase{"Fails",
                    [](InetDownloader&, std::span<Variant>) {
                      throw ScriptError(1234, u"page", u"handler broke");
                    },
                    1234},
        HandlerCase{"OpensTheFile", [](InetDownloader& d, std::span<Variant>) { d.OpenFile(); }, 5},
        HandlerCase{"ReadsTheBody",
                    [](InetDownloader& d, std::span<Variant>) { d.ReadBinaryData(); }, 5},
        HandlerCase{"ReadsTheBodyAsText",
                    [](InetDownloader& d, std::span<Variant>) { d.ReadCharacterData(); }, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InetDownloaderTest, DownloadFromInsideProgressTakesTheInstanceOver) {
  sink->react = [&, done = false](DispId id, std::span<Variant>) mutable {
    if (id != ids::kEventProgress || done)
      return;
    done = true;
    Text second = u"http://www.corvantis.example/dl/second.cvx", dest;
    downloader.Download(second, dest);
  };
  fetch(bytesOf(20000), u"20000");
  EXPECT_EQ(sink->events.size(), 1u) << "the first request reports nothing more";
  EXPECT_THAT(fake.files.files, IsEmpty()) << "its unfinished file is removed";
  EXPECT_EQ(fake.files.openCount(), 0u) << "its file was let go";
  EXPECT_EQ(remoteFile(), u"second.cvx");

  inet().respond("second body", u"11");
  inet().deliver(kResponseCompleted);
  EXPECT_EQ(sink->count(ids::kEventDownloadComplete), 1);
  EXPECT_EQ(sink->count(ids::kEventError), 0);
  EXPECT_EQ(remoteFile(), u"second63921449486000.cvx");
  EXPECT_EQ(saved(remoteFile()), "second body");
}

TEST_F(InetDownloaderTest, CancelFromScriptDuringThePumpEndsInOneError) {
  download();
  inet().respond(bytesOf(10000), u"10000");
  fake.messagePump.onPump = [&] {
    if (fake.messagePump.pumps == 1)
      downloader.Cancel();
  };
  inet().deliver(kResponseCompleted);
  EXPECT_EQ(sink->events.size(), 2u);
  EXPECT_EQ(sink->error().second, u"Download incomplete: received 4096 of 10000 announced bytes");
  EXPECT_THAT(fake.files.files, IsEmpty()) << "the partial file is removed";
  EXPECT_EQ(fake.files.openCount(), 0u);
}

TEST_F(InetDownloaderTest, CancelIsSafeAtAnyTimeAndTwice) {
  downloader.Cancel();
  download();
  downloader.Cancel();
  downloader.Cancel();
  EXPECT_EQ(inet().cancels, 3);
  EXPECT_THAT(sink->events, IsEmpty());
}

TEST_F(InetDownloaderTest, ReleasingAControlWithItsFileOpenClosesTheFile) {
  {
    InetDownloader released(fake.platform);
    Text url = kUrl, dest;
    released.Download(url, dest);
    released.OpenFile();
    ASSERT_EQ(fake.files.openCount(), 1u);
  }
  EXPECT_EQ(fake.files.openCount(), 0u);
  EXPECT_EQ(fake.transfers.last().cancels, 1);
}

TEST_F(InetDownloaderTest, SecondOpenFileClosesTheFirstAndStampsTheNameAgain) {
  download();
  downloader.OpenFile();
  downloader.OpenFile();
  EXPECT_EQ(fake.files.openCount(), 1u);
  EXPECT_THAT(fake.files.opened,
              ElementsAre(Text(u"/tmp/") + kLocalName,
                          Text(u"/tmp/report63921449486000") + u"63921449486000.cvx"));
  downloader.Cancel();
  EXPECT_EQ(fake.files.openCount(), 0u);
}

TEST_F(InetDownloaderTest, CreationSetsTheTwoMinuteTimeOut) {
  EXPECT_EQ(inet().timeoutSeconds, 120);
}

TEST_F(InetDownloaderTest, GetFileNamePartsSplitsAtTheLastDot) {
  Text name = u"archive.tar.cvt";
  const Variant parts = downloader.getFileNameParts(name);
  EXPECT_EQ(parts.array()[0].text(), u"archive.tar");
  EXPECT_EQ(parts.array()[1].text(), u"cvt");
}

}  // namespace
}  // namespace hv
