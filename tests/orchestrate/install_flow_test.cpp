// INSTALL, InstallInternal and shellAndWait on fakes: the status label, the boxes, the command
// line and the flag that keeps a second INSTALL out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "control/module_state.h"
#include "runtime/script_error.h"
#include "support/base_under_test.h"
#include "support/errors.h"
#include "support/registered_application.h"

namespace hv {
namespace {

using ::testing::ElementsAre;
using testing::FakeProcesses;
using ::testing::IsEmpty;
using testing::kDocumentUrl;

constexpr char16_t kBoxStart[] =
    u"Install failed, please try again by clicking refresh on your browser.\r\n";
constexpr RgbColor kRed = 0x000000FF;
constexpr char16_t kInstallerLine[] = u"\"/tmp/install63921449486000.exe\" /S /P";

class InstallFlow : public ::testing::Test, protected testing::BaseUnderTest {
 protected:
  InstallFlow() { threadModuleState().logLevel = 0; }

  Variant install() { return invokeByName(*base, u"INSTALL", MemberKind::Method, {}); }
  void installAndServe() {
    install();
    serve("MZ", u"2");
  }
  void launch(Text url) {
    std::array<Variant, 1> args{Variant(std::move(url))};
    invokeByName(*base, u"LAUNCH", MemberKind::Method, args);
  }

  const testing::FakeUiSite::Label& label() { return fake.ui.labels["lblDownload"]; }
  std::vector<std::string> labelJournal() const {
    std::vector<std::string> lines;
    for (const auto& line : fake.ui.journal) {
      if (line.starts_with("lblDownload ") && !line.starts_with("lblDownload font"))
        lines.push_back(line);
    }
    return lines;
  }
};

TEST_F(InstallFlow, InstallerIsFetchedMadeRunnableAndRunSilentlyWhileTheLabelSaysSo) {
  EXPECT_TRUE(install().isEmpty());
  fake.messagePump.onPump = [&] { fake.ui.journal.push_back("pump"); };
  fake.processes.whileRunning = [&] { fake.ui.journal.push_back("installer runs"); };
  serve("MZ", u"2");

  ASSERT_EQ(fake.processes.calls.size(), 2u);
  EXPECT_EQ(fake.processes.calls[0].kind, FakeProcesses::Kind::AllowToRun);
  EXPECT_EQ(fake.processes.calls[0].text, u"/tmp/install63921449486000.exe");
  EXPECT_EQ(fake.processes.calls[1].kind, FakeProcesses::Kind::StartAndWait);
  EXPECT_EQ(fake.processes.calls[1].text, kInstallerLine);
  EXPECT_EQ(fake.processes.calls[1].style, WindowStyle::Hidden);
  const auto& journal = fake.ui.journal;
  const auto installing =
      std::find(journal.begin(), journal.end(), "lblDownload caption Installing......");
  EXPECT_THAT(std::vector<std::string>(installing, journal.end()),
              ElementsAre("lblDownload caption Installing......", "pump", "installer runs", "pump",
                          "lblDownload caption Install complete"));
  EXPECT_EQ(label().foreColor, std::nullopt);
  EXPECT_THAT(fake.ui.boxes, IsEmpty());
  EXPECT_EQ(fake.eventLog.entries.back().message, Text(u"Executing ") + kInstallerLine);
}

TEST_F(InstallFlow, TemporaryFolderWithBlanksIsOneQuotedPath) {
  fake.tempFolder.path = "/tmp/my temp dir/";
  installAndServe();
  EXPECT_THAT(fake.processes.commandLines(),
              ElementsAre(u"\"/tmp/my temp dir/install63921449486000.exe\" /S /P"));
}

TEST_F(InstallFlow, WindowsFolderGivesTheQuotedWindowsPath) {
  fake.tempFolder.path = "C:\\Temp\\";
  installAndServe();
  EXPECT_THAT(fake.processes.commandLines(),
              ElementsAre(u"\"C:\\Temp\\install63921449486000.exe\" /S /P"));
}

struct OutcomeCase {
  const char* name;
  ProcessOutcome outcome;
  std::optional<ScriptError> startFailure;
  std::optional<Text> failure;  // none: "Install complete"; else the box's second line
};

void PrintTo(const OutcomeCase& c, std::ostream* os) {
  *os << c.name;
}

class InstallOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(InstallOutcome, OnlySuccessCodesAreComplete) {
  const OutcomeCase& c = GetParam();
  testing::BaseUnderTest t;
  t.fake.processes.outcome = c.outcome;
  t.fake.processes.failure = c.startFailure;
  invokeByName(*t.base, u"INSTALL", MemberKind::Method, {});
  t.serve("MZ", u"2");
  const auto& label = t.fake.ui.labels["lblDownload"];
  if (!c.failure) {
    EXPECT_EQ(label.caption, u"Install complete");
    EXPECT_EQ(label.foreColor, std::nullopt);
    EXPECT_THAT(t.fake.ui.boxes, IsEmpty());
    return;
  }
  EXPECT_EQ(label.caption, u"Install error");
  EXPECT_EQ(label.foreColor, kRed);
  ASSERT_EQ(t.fake.ui.boxes.size(), 1u);
  EXPECT_EQ(t.fake.ui.boxes[0].text, kBoxStart + *c.failure);
  EXPECT_EQ(t.fake.ui.boxes[0].title, std::nullopt);
  EXPECT_FALSE(t.base->installing());
}

using Kind = ProcessOutcome::Kind;

INSTANTIATE_TEST_SUITE_P(
    Install, InstallOutcome,
    ::testing::Values(
        OutcomeCase{"ExitZero", {Kind::Exited, 0, {}}, std::nullopt, std::nullopt},
        OutcomeCase{"RestartNeeded3010", {Kind::Exited, 3010, {}}, std::nullopt, std::nullopt},
        OutcomeCase{"RestartStarted1641", {Kind::Exited, 1641, {}}, std::nullopt, std::nullopt},
        OutcomeCase{"ExitOne",
                    {Kind::Exited, 1, {}},
                    std::nullopt,
                    u"The installer ended with exit status 1"},
        OutcomeCase{"CancelledByTheUser1602",
                    {Kind::Exited, 1602, {}},
                    std::nullopt,
                    u"The installer ended with exit status 1602"},
        OutcomeCase{"CrashCodeBeyondSigned",
                    {Kind::Exited, 0xC0000005, {}},
                    std::nullopt,
                    u"The installer ended with exit status 3221225477"},
        OutcomeCase{"KilledBySignal",
                    {Kind::Signalled, 9, {}},
                    std::nullopt,
                    u"The installer was ended by signal 9"},
        OutcomeCase{"WaitFailed",
                    {Kind::WaitFailed, 0, u"No child processes"},
                    std::nullopt,
                    u"The installer could not be waited for: No child processes"},
        OutcomeCase{"InstallerMissing",
                    {},
                    runtimeError(runtime_error::kFileNotFound),
                    u"shellAndWait:Error launching process File not found 53"},
        OutcomeCase{"InstallerBlocked",
                    {},
                    runtimeError(runtime_error::kPermissionDenied),
                    u"shellAndWait:Error launching process Permission denied 70"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallFlow, FailingLogLineIsAStartFailureAndStartsNothing) {
  install();
  fake.messagePump.onPump = [&] {
    if (label().caption == u"Installing......")
      fake.eventLog.failing = true;
  };
  serve("MZ", u"2");
  EXPECT_THAT(fake.processes.commandLines(), IsEmpty());
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text,
            Text(kBoxStart) +
                u"shellAndWait:Error launching process the event log refused the entry "
                u"-2147467259");
}

TEST_F(InstallFlow, RedStaysRedForTheNextRun) {
  fake.processes.outcome = {ProcessOutcome::Kind::Exited, 1, {}};
  installAndServe();
  fake.processes.outcome = {};
  const auto journal = labelJournal().size();
  installAndServe();
  const auto lines = labelJournal();
  EXPECT_THAT(
      std::vector<std::string>(lines.begin() + journal, lines.end()),
      ElementsAre("lblDownload caption Installing......", "lblDownload caption Install complete"));
  EXPECT_EQ(label().foreColor, kRed);
}

TEST_F(InstallFlow, SecondInstallDuringTheDownloadIsRefusedUntilItEnds) {
  install();
  EXPECT_TRUE(install().isEmpty());
  EXPECT_EQ(downloadsStarted(), 1u);
  serve("MZ", u"2");
  install();
  EXPECT_EQ(downloadsStarted(), 2u) << "accepted after DownloadComplete";
  fail(404, u"Not Found");
  install();
  EXPECT_EQ(downloadsStarted(), 3u) << "accepted after the error event";
}

// The mode is the control's, so a document can complete in install mode; only the file INSTALL
// fetched is ever run as an installer.
TEST_F(InstallFlow, RefusedInstallHandsTheBoundDownloadToTheInstallStepWhichRunsNothing) {
  testing::registerCvxType(fake.registry);
  install();
  launch(kDocumentUrl);
  install();  // refused, but the mode is install again
  serve("document", u"8");
  EXPECT_THAT(fake.processes.calls, IsEmpty()) << "nothing run, nothing made runnable";
  EXPECT_EQ(label().caption, u"Install error");
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(fake.ui.boxes[0].text,
            kBoxStart + Text(u"Nothing was run: report63921449486000.cvx is not the installer "
                             u"that INSTALL fetched"));
}

TEST_F(InstallFlow, InstallCanStartAgainFromThePumpBeforeTheRun) {
  bool again = true;
  fake.messagePump.onPump = [&] {
    if (again && label().caption == u"Installing......") {
      again = false;
      install();
    }
  };
  installAndServe();
  EXPECT_EQ(downloadsStarted(), 2u) << "the flag was already down";
  EXPECT_THAT(fake.processes.commandLines(), ElementsAre(kInstallerLine));
  EXPECT_EQ(fake.processes.calls.front().kind, FakeProcesses::Kind::AllowToRun)
      << "the file in hand is still the installer, whatever the pump bound";
}

TEST_F(InstallFlow, OwnFailureReachesTheScriptAndClearsTheFlag) {
  std::array<Variant, 1> location{Variant(u"http://www.corvantis.example/get?x=1/setup.exe")};
  invokeByName(*base, u"DownloadLocation", MemberKind::PropertyPut, location);
  EXPECT_EQ(testing::errorNumberOf([&] { install(); }), 5);
  EXPECT_FALSE(base->installing());
  EXPECT_EQ(testing::errorNumberOf([&] { install(); }), 5) << "tried again, not locked out";
}

TEST_F(InstallFlow, FailingStartOfItsDownloadClearsTheFlag) {
  fake.eventLog.failing = true;
  EXPECT_EQ(testing::errorNumberOf([&] { install(); }), -2147467259);
  EXPECT_FALSE(base->installing());
}

}  // namespace
}  // namespace hv
