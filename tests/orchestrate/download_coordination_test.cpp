#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "control/module_state.h"
#include "diag/event_logging.h"
#include "runtime/script_error.h"
#include "support/base_under_test.h"
#include "support/errors.h"
#include "support/registered_application.h"

namespace hv {
namespace {

using ::testing::ElementsAre;
using testing::FakeTransfer;
using ::testing::IsEmpty;
using testing::kDocumentUrl;
namespace ids = inet_downloader_dispid;

class DownloadCoordination : public ::testing::Test, protected testing::BaseUnderTest {
 protected:
  DownloadCoordination() { threadModuleState().logLevel = 0; }

  // Raises an event from the worker loaded last, as it would raise it itself.
  void raiseFromLatest(DispId id, std::vector<Variant> args) {
    auto& worker = *base->inetDownloaders().back();
    worker.findConnectionPoint(worker.classInfo().eventInterface.current.iid)->raise(id, args);
  }

  std::vector<Text> logLines() const {
    std::vector<Text> lines;
    for (const auto& e : fake.eventLog.entries)
      lines.push_back(e.message);
    return lines;
  }
};

struct ProgressCase {
  const char* name;
  std::int32_t received;
  std::int32_t remaining;
  std::optional<float> drawn;  // none: the handler fails
  std::int32_t error;
};

void PrintTo(const ProgressCase& c, std::ostream* os) {
  *os << c.name;
}

class ProgressHandler : public DownloadCoordination,
                        public ::testing::WithParamInterface<ProgressCase> {};

TEST_P(ProgressHandler, SetsMinMaxThenTheRoundedPercentageThenPumps) {
  const ProgressCase& c = GetParam();
  download(kDocumentUrl);
  std::optional<float> drawnAtPump;
  fake.messagePump.onPump = [&] { drawnAtPump = barValues().back(); };
  const auto before = barValues().size();
  const std::int32_t error = testing::errorNumberOf([&] {
    raiseFromLatest(ids::kEventProgress, {Variant(c.received), Variant(c.remaining)});
  });

  EXPECT_EQ(error, c.error);
  if (c.drawn) {
    // Min, Max and Value: three puts, each drawn, the value last and before the pump.
    ASSERT_EQ(barValues().size(), before + 3);
    EXPECT_EQ(barValues().back(), *c.drawn);
    EXPECT_EQ(drawnAtPump, c.drawn);
    EXPECT_EQ(fake.messagePump.pumps, 1);
  } else {
    EXPECT_EQ(barValues().size(), before + 2) << "Min and Max only";
    EXPECT_EQ(fake.messagePump.pumps, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Base, ProgressHandler,
    ::testing::Values(
        ProgressCase{"FortyPointNineSix", 4096, 5904, 41, 0},
        ProgressCase{"Half", 5000, 5000, 50, 0}, ProgressCase{"TwelvePointFiveToEven", 1, 7, 12, 0},
        ProgressCase{"ThirteenPointFiveToEven", 27, 173, 14, 0},
        ProgressCase{"All", 10000, 0, 100, 0}, ProgressCase{"TotalZero", 5, -5, std::nullopt, 11},
        ProgressCase{"NothingOfNothing", 0, 0, std::nullopt, 6},
        ProgressCase{"MoreThanAnnouncedDrawnFull", 10000, -5000, 100, 0},
        ProgressCase{"WrappedTotalDrawnEmpty", 2147483647, 1, 0, 0},
        ProgressCase{"PercentageBeyondSixteenBits", 2147483647, -2147483000, std::nullopt, 6}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadCoordination, EachDownloadLoadsAndBindsANewElementAndLogsTheIndexBefore) {
  for (int i = 0; i < 3; ++i)
    download(kDocumentUrl);
  EXPECT_THAT(logLines(), ::testing::Contains(Text(u"loading control index 0")));
  EXPECT_THAT(logLines(), ::testing::Contains(Text(u"loading control index 2")));
  EXPECT_EQ(base->loadedIndex(), 3);
  ASSERT_EQ(base->inetDownloaders().size(), 4u);
  EXPECT_EQ(base->boundDownloader(), base->inetDownloaders()[3].get());
  EXPECT_EQ(logLines().front(), u"loading control index 0") << "logged before the engine's line";
}

TEST_F(DownloadCoordination, RefusedDomainLooksUpTheTempFolderAndNothingElse) {
  const int lookups = fake.tempFolder.lookups;
  Text url = u"http://www.elsewhere.example/report.cvx";
  EXPECT_EQ(testing::errorNumberOf([&] { download(url); }), -200002);
  EXPECT_EQ(fake.tempFolder.lookups, lookups + 1);
  EXPECT_EQ(base->loadedIndex(), 0);
  EXPECT_EQ(base->inetDownloaders().size(), 1u);
  EXPECT_THAT(fake.eventLog.entries, IsEmpty());
}

TEST_F(DownloadCoordination, QueryBeforeTheLastSlashOfTheInstallerUrlFailsEveryDownload) {
  std::array<Variant, 1> location{Variant(u"http://www.corvantis.example/get?x=1/setup.exe")};
  invokeByName(*base, u"DownloadLocation", MemberKind::PropertyPut, location);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(testing::errorNumberOf([&] { download(kDocumentUrl); }), 5);
  EXPECT_EQ(base->inetDownloaders().size(), 1u);
  EXPECT_THAT(fake.eventLog.entries, IsEmpty());
}

TEST_F(DownloadCoordination, EngineRefusalGoesToTheCallerWithTheElementLoadedAndBound) {
  EXPECT_EQ(
      testing::errorNumberOf([&] { download(u"http://www.corvantis.example/get?x=1/report.cvx"); }),
      5);
  ASSERT_EQ(base->inetDownloaders().size(), 2u);
  EXPECT_EQ(base->boundDownloader(), base->inetDownloaders()[1].get());
}

TEST_F(DownloadCoordination, ErrorEventShowsTheBoxThenMarksTheDownloadFailed) {
  download(kDocumentUrl);
  std::optional<std::int32_t> statusWhileOpen;
  fake.ui.onBox = [&] { statusWhileOpen = base->lastDownloadStatus(); };
  fail(404, u"Not Found");
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text, u"Error: -20000015 404 Not Found");
  EXPECT_EQ(fake.ui.boxes[0].title, std::nullopt);
  EXPECT_EQ(statusWhileOpen, 0) << "the box is modal: the state changes after it is closed";
  EXPECT_EQ(base->lastDownloadStatus(), -1);
  EXPECT_FALSE(base->installing());
  EXPECT_EQ(base->boundDownloader(), base->inetDownloaders()[1].get());
}

TEST_F(DownloadCoordination, InternalDownloadCompletesWithoutFollowUpAndDropsTheBinding) {
  downloadInternal(kDocumentUrl);
  const auto journal = fake.ui.journal.size();
  serve("abc", u"3");
  EXPECT_EQ(base->lastDownloadStatus(), 1);
  EXPECT_EQ(base->boundDownloader(), nullptr);
  EXPECT_EQ(base->inetDownloaders().size(), 2u) << "the array keeps the element";
  EXPECT_THAT(fake.ui.boxes, IsEmpty());
  EXPECT_EQ(fake.ui.journal.size(), journal + 3) << "one Progress: Min, Max and Value drawn";
}

TEST_F(DownloadCoordination, DownloadBeforeAnyFlowHandsTheFileToTheLaunchStep) {
  testing::registerOpenCommand(fake.registry, "viewer \"%1\"");
  download(kDocumentUrl);
  serve("abc", u"3");
  EXPECT_THAT(fake.processes.commandLines(),
              ElementsAre(u"viewer \"/tmp/report63921449486000.cvx\""));
  EXPECT_THAT(fake.ui.boxes, IsEmpty());
  EXPECT_EQ(base->lastDownloadStatus(), 1);
  EXPECT_EQ(base->boundDownloader(), nullptr);
}

TEST_F(DownloadCoordination, FailingProgressHandlerLeavesTheDownloadToComplete) {
  downloadInternal(kDocumentUrl);
  serve("12345", u"0");  // Progress(5, -5): a total of zero
  EXPECT_THAT(fake.ui.boxes, IsEmpty());
  EXPECT_EQ(base->lastDownloadStatus(), 1);
  EXPECT_EQ(fake.files.openCount(), 0u);
}

// However a page starts them, in a loop or from inside a pump, one Base runs one transfer: the
// download a new one supersedes is cancelled, and its events go nowhere.
TEST_F(DownloadCoordination, ANewDownloadCancelsTheOneItSupersedes) {
  downloadInternal(kDocumentUrl);
  FakeTransfer& first = transfer();
  for (int i = 0; i < 1000; ++i)
    downloadInternal(kDocumentUrl);
  const auto running =
      std::count_if(fake.transfers.created.begin(), fake.transfers.created.end(),
                    [](const FakeTransfer* t) { return !t->executed.empty() && !t->cancelled; });
  EXPECT_EQ(running, 1);
  EXPECT_TRUE(first.cancelled);
  const auto drawn = barValues().size();
  first.respond("abc", u"3");
  first.deliver(kResponseCompleted);
  EXPECT_EQ(base->lastDownloadStatus(), 0);
  EXPECT_EQ(barValues().size(), drawn);
  serve("defg", u"4");
  EXPECT_EQ(base->lastDownloadStatus(), 1);
}

TEST_F(DownloadCoordination, DownloadFromInsideAProgressPumpCancelsTheOldWorker) {
  downloadInternal(kDocumentUrl);
  FakeTransfer& first = transfer();
  fake.messagePump.onPump = [&] {
    if (base->inetDownloaders().size() == 2)
      downloadInternal(kDocumentUrl);
  };
  first.respond(std::string(10000, 'x'), u"10000");
  first.deliver(kResponseCompleted);
  EXPECT_EQ(base->inetDownloaders().size(), 3u);
  EXPECT_EQ(base->boundDownloader(), base->inetDownloaders()[2].get());
  EXPECT_TRUE(first.cancelled);
  EXPECT_THAT(barValues(), ::testing::Contains(41.0f));
  EXPECT_THAT(barValues(), ::testing::Not(::testing::Contains(82.0f)))
      << "the old worker reads no further";
  EXPECT_THAT(fake.ui.boxes, IsEmpty()) << "its end goes nowhere";
  EXPECT_EQ(base->lastDownloadStatus(), 0);
  EXPECT_EQ(fake.files.openCount(), 0u);
}

TEST_F(DownloadCoordination, TerminationCancelsTheBoundWorker) {
  downloadInternal(kDocumentUrl);
  FakeTransfer& orphan = transfer();
  downloadInternal(kDocumentUrl);
  FakeTransfer& bound = transfer();
  base.reset();
  // Every element's own termination cancels its transfer once; Base cancels the bound one, and
  // the one it superseded when the second download began.
  EXPECT_EQ(orphan.cancels, 2);
  EXPECT_EQ(bound.cancels, 2);
}

TEST_F(DownloadCoordination, TerminationWithNothingBoundCancelsNothingOfItsOwn) {
  downloadInternal(kDocumentUrl);
  serve("abc", u"3");
  FakeTransfer& finished = transfer();
  const int cancels = finished.cancels;
  base.reset();
  EXPECT_EQ(finished.cancels, cancels) << "released at its final event, nothing left to cancel";
}

TEST_F(DownloadCoordination, TheDownloadThatWouldLoadElement32768IsAnOverflow) {
  fake.eventLog.failing = false;
  threadModuleState().logLevel = kLogSevere;  // keep 32,767 lines out of the fake log
  for (int i = 0; i < 32767; ++i)
    downloadInternal(kDocumentUrl);
  threadModuleState().logLevel = 0;
  const auto elements = base->inetDownloaders().size();
  EXPECT_EQ(testing::errorNumberOf([&] { downloadInternal(kDocumentUrl); }), 6);
  EXPECT_EQ(base->inetDownloaders().size(), elements);
  EXPECT_THAT(fake.eventLog.entries, IsEmpty());
  EXPECT_EQ(base->loadedIndex(), 32767);
  serve("abc", u"3");
  EXPECT_EQ(base->lastDownloadStatus(), 1) << "the bound download still completes";
}

}  // namespace
}  // namespace hv
