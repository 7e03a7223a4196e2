// The whole road on this machine: documents and installers fetched from a loopback site and
// really started through the POSIX process port.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "control/module_state.h"
#include "orchestrate/base.h"
#include "orchestrate/library_catalog.h"
#include "posix/posix_processes.h"
#include "runtime/text_encoding.h"
#include "support/base_under_test.h"
#include "support/loopback_site.h"
#include "support/recording_fifo.h"
#include "support/registered_application.h"

namespace hv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::kRecordingProgram;
using testing::RecordingFifo;
using testing::ScopedEnv;

constexpr char kInstallerPath[] = "/cvAppDownloads/library/windows/vm/install.exe";
// The library's own default is on https, which the loopback site does not serve.
constexpr char16_t kInstallerUrl[] =
    u"http://www.corvantis.example/cvAppDownloads/library/windows/vm/install.exe";

class WholeRoad : public ::testing::Test {
 protected:
  WholeRoad() {
    site.tempFolder.path = dir.slashed();
    site.processes.forwardTo = &processes;
    testing::registerCvxType(site.registry);
    testing::registerOpenCommand(site.registry, "\"" + kRecordingProgram + "\" \"%1\"");
    base.DownloadLocation(kInstallerUrl);
  }

  // Runs the loop until the download has ended, as the host does.
  void runUntilTheDownloadEnds() {
    ASSERT_TRUE(
        site.network.loop.runUntil([&] { return base.lastDownloadStatus() != 0; },
                                   std::chrono::steady_clock::now() + std::chrono::seconds(30)));
  }

  testing::LoopbackSite site;
  testing::TempDir dir;
  PosixProcesses processes;
  testing::FakeUiSite ui;
  ClassCatalog classes = libraryCatalog(site.platform);
  Base base{site.platform, {classes, ui}};
};

TEST_F(WholeRoad, DocumentIsOpenedWithExactlyItsLocalPath) {
  site.server.route("/dl/report.cvx", testing::okReply("the document"));
  RecordingFifo record;
  Text url = u"http://www.corvantis.example/dl/report.cvx";
  base.LAUNCH(url);
  runUntilTheDownloadEnds();
  const auto seen = record.await();
  ASSERT_TRUE(seen) << "the document's program ran";
  const std::string path = dir.slashed() + "report63921449486000.cvx";
  EXPECT_THAT(seen->argv, ElementsAre(kRecordingProgram, path));
  EXPECT_EQ(testing::readFile(path), "the document");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0111, 0u) << "a document never becomes executable";
  EXPECT_THAT(ui.boxes, IsEmpty());
  EXPECT_TRUE(testing::goneWithin(seen->pid, std::chrono::seconds(30)));
}

struct InstallerCase {
  const char* name;
  const char* exit;
  std::optional<Text> failure;  // none: "Install complete"; else the box's second line
};

void PrintTo(const InstallerCase& c, std::ostream* os) {
  *os << c.name;
}

class InstallerRun : public WholeRoad, public ::testing::WithParamInterface<InstallerCase> {};

TEST_P(InstallerRun, IsRunSilentlyWaitedForAndJudgedByHowItEnded) {
  const InstallerCase& c = GetParam();
  site.server.route(kInstallerPath, testing::okReply(testing::readFile(kRecordingProgram)));
  ScopedEnv exit("HVDETECTOR_EXIT", c.exit);
  RecordingFifo record;
  base.INSTALL();
  runUntilTheDownloadEnds();

  const auto seen = record.await();
  ASSERT_TRUE(seen) << "the installer ran";
  const std::string path = dir.slashed() + "install63921449486000.exe";
  EXPECT_THAT(seen->argv, ElementsAre(path, "/S", "/P"));
  EXPECT_NE(::kill(seen->pid, 0), 0) << "waited for and reaped before the install step ended";
  const auto& label = ui.labels["lblDownload"];
  if (!c.failure) {
    EXPECT_EQ(label.caption, u"Install complete");
    EXPECT_THAT(ui.boxes, IsEmpty());
    return;
  }
  EXPECT_EQ(label.caption, u"Install error");
  EXPECT_EQ(label.foreColor, RgbColor{0x000000FF});
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(
      ui.boxes[0].text,
      u"Install failed, please try again by clicking refresh on your browser.\r\n" + *c.failure);
}

INSTANTIATE_TEST_SUITE_P(
    Posix, InstallerRun,
    ::testing::Values(InstallerCase{"Success", "0", std::nullopt},
                      InstallerCase{"Failure", "1", u"The installer ended with exit status 1"},
                      // The system keeps eight bits of an exit status: this code only means
                      // "restart" on Windows.
                      InstallerCase{"RestartCodeCutByTheSystem", "3010",
                                    u"The installer ended with exit status 194"},
                      InstallerCase{"Killed", "signal", u"The installer was ended by signal 9"}),
    [](const auto& info) { return std::string(info.param.name); });

// Page script runs in the pump before the installer starts; a file it removes is reported as
// missing, in red.
class PumpThatDeletes : public MessagePumpPort {
 public:
  PumpThatDeletes(MessagePumpPort& loop, testing::FakeUiSite& ui, std::string path)
      : loop_(loop), ui_(ui), path_(std::move(path)) {}
  void pumpOnce() override {
    if (ui_.labels["lblDownload"].caption == u"Installing......")
      std::filesystem::remove(path_);
    loop_.pumpOnce();
  }

 private:
  MessagePumpPort& loop_;
  testing::FakeUiSite& ui_;
  std::string path_;
};

TEST_F(WholeRoad, InstallerDeletedBeforeItRunsIsAnInstallErrorForAMissingFile) {
  site.server.route(kInstallerPath, testing::okReply(testing::readFile(kRecordingProgram)));
  PumpThatDeletes pump(site.network.loop, ui, dir.slashed() + "install63921449486000.exe");
  Platform deleting{site.registry,  site.eventLog,      site.tempFolder, site.clock,         pump,
                    site.transfers, site.network.files, site.processes,  site.installerTrust};
  const ClassCatalog catalog = libraryCatalog(deleting);
  Base installing(deleting, {catalog, ui});
  installing.DownloadLocation(kInstallerUrl);
  installing.INSTALL();
  ASSERT_TRUE(
      site.network.loop.runUntil([&] { return installing.lastDownloadStatus() != 0; },
                                 std::chrono::steady_clock::now() + std::chrono::seconds(30)));
  EXPECT_EQ(ui.labels["lblDownload"].caption, u"Install error");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            u"Install failed, please try again by clicking refresh on your browser.\r\n"
            u"shellAndWait:Error launching process File not found 53");
}

struct InjectionCase {
  const char* name;
  Text remoteFile;
  bool opens;  // false: refused before anything starts
};

void PrintTo(const InjectionCase& c, std::ostream* os) {
  *os << c.name;
}

class Injection : public ::testing::TestWithParam<InjectionCase> {};

// Page script names the file; whatever it names, the program gets exactly one argument, the
// file's path in the temporary folder, or nothing starts at all. Both ways of registering the
// command are tried: "%1" quoted and bare.
TEST_P(Injection, ProgramReceivesExactlyThePathOrNothingStarts) {
  const InjectionCase& c = GetParam();
  testing::BaseUnderTest t;
  PosixProcesses processes;
  t.fake.processes.forwardTo = &processes;
  testing::registerCvxType(t.fake.registry);
  testing::TempDir dir;
  t.fake.tempFolder.path = dir.slashed() + "temp folder/";
  std::array<Variant, 1> url{Variant(Text(testing::kDocumentUrl))};
  invokeByName(*t.base, u"LAUNCH", MemberKind::Method, url);  // looks the folder up

  for (const std::string& command :
       {"\"" + kRecordingProgram + "\" \"%1\"", kRecordingProgram + " %1"}) {
    SCOPED_TRACE(command);
    testing::registerOpenCommand(t.fake.registry, command);
    t.fake.processes.calls.clear();
    RecordingFifo record;
    std::array<Variant, 1> name{Variant(c.remoteFile)};
    invokeByName(*t.base, u"LaunchInternal", MemberKind::Method, name);
    EXPECT_THAT(t.fake.ui.boxes, IsEmpty());
    if (!c.opens) {
      EXPECT_THAT(t.fake.processes.calls, IsEmpty());
      continue;
    }
    const auto seen = record.await();
    ASSERT_TRUE(seen);
    EXPECT_THAT(seen->argv, ElementsAre(kRecordingProgram,
                                        t.fake.tempFolder.path.value() + toUtf8(c.remoteFile)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Posix, Injection,
    ::testing::Values(
        InjectionCase{"SingleQuote", u"it's.cvx", true}, InjectionCase{"Blanks", u"a  b.cvx", true},
        InjectionCase{"WordsThatLookLikeAnOption", u"x --config=evil.cvx", true},
        InjectionCase{"Ampersand", u"a&b.cvx", true}, InjectionCase{"Semicolon", u"a;b.cvx", true},
        InjectionCase{"Backticks", u"a`id`.cvx", true},
        InjectionCase{"CommandSubstitution", u"$(id).cvx", true},
        InjectionCase{"OptionLikeName", u"--option", true},
        InjectionCase{"PlaceholderInsideTheName", u"a %1 b.cvx", true},
        InjectionCase{"NonAscii", u"r\u00e9sum\u00e9 \u4e2d.cvx", true},
        InjectionCase{"VeryLongName", Text(4000, u'n') + u".cvx", true},
        InjectionCase{"Quote", u"a\"b.cvx", false},
        InjectionCase{"QuoteThatWouldCloseAndAddAnOption", u"x\" --exec=\"y.cvx", false},
        InjectionCase{"Pipe", u"a|b.cvx", false}, InjectionCase{"Redirection", u"a>b.cvx", false},
        InjectionCase{"Separator", u"../../bin/sh", false},
        InjectionCase{"Newline", u"a\nb.cvx", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
