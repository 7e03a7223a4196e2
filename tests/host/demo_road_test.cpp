#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/child_process.h"
#include "support/site_host.h"

namespace hv {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using namespace testing;

// The demo's own pieces: its installer installs the viewer and records it where detection and
// the launch read, and the viewer opens the document the launch hands it.
class DemoRoad : public ::testing::Test {
 protected:
  DemoRoad() { host.site.route("/dl/quarterly-report.cvx", okReply(document)); }

  std::string detection() const { return host.runHost({"detect", "--json"}).out; }
  std::string folder() const {
    return (programs / "Program Files" / "Corvantis Halverine").string();
  }
  std::string viewer() const { return folder() + "/halverine-viewer"; }

  // What the viewer says about `path`, and how it ended.
  std::pair<ChildResult, std::string> view(const std::vector<std::string>& args) const {
    const std::string said = (programs / "said").string();
    const ChildResult result = runChild(viewer(), args, {}, ChildOutput::WithErrors, said, 20000);
    return {result, readFile(said)};
  }

  SiteHost host;
  TempDir programs;
  ScopedEnv registry{"HVDETECTOR_REGISTRY", host.store.path().string()};
  ScopedEnv root{"HALVERINE_INSTALL_ROOT", (programs / "Program Files").string()};
  const std::string installer = readFile(HVDETECTOR_DEMO_INSTALLER);
  const std::string document =
      readFile(HVDETECTOR_SOURCE_DIR "/examples/demo/quarterly-report.cvx");
};

TEST_F(DemoRoad, InstallerRecordsTheViewerWhereDetectionReadsIt) {
  host.serveSignedInstaller(installer);
  EXPECT_THAT(detection(), HasSubstr("\"HasCvxMime\": false, \"HasCvtMime\": false, "
                                     "\"HasParticipantHalverine\": false"));
  const HostRun run = host.runHost(SiteHost::installOfTheSitesInstaller());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(detection(),
              HasSubstr("\"HasCvxMime\": true, \"HasCvtMime\": true, "
                        "\"HasParticipantHalverine\": true, \"HasSupervisorHV\": false"));
  EXPECT_THAT(detection(), HasSubstr("\"participantInstallDir\": \"" + folder() + "\""));
  EXPECT_EQ(readFile(viewer()), readFile(HVDETECTOR_DEMO_VIEWER));
  struct stat status {};
  ASSERT_EQ(::stat(viewer().c_str(), &status), 0);
  EXPECT_NE(status.st_mode & S_IXUSR, 0u);
}

TEST_F(DemoRoad, LaunchOpensTheDocumentWithTheInstalledViewer) {
  host.serveSignedInstaller(installer);
  ASSERT_EQ(host.runHost(SiteHost::installOfTheSitesInstaller()).status, 0);
  const HostRun run = host.runHost({"launch", std::string(kSiteUrl) + "/dl/quarterly-report.cvx"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string prefix = "\"" + viewer() + "\" \"";
  ASSERT_THAT(run.out, MatchesRegex("\"[^\"]+\" \"" + host.downloads.slashed() +
                                    "quarterly-report[0-9]+\\.cvx\"\n"));
  ASSERT_EQ(run.out.substr(0, prefix.size()), prefix);
  const std::string path = run.out.substr(prefix.size(), run.out.size() - prefix.size() - 2);

  const auto [result, said] = view({path});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(said, "halverine-viewer: opened " + path + " (" + std::to_string(document.size()) +
                      " bytes)\n  Title: Quarterly report, third quarter\n"
                      "  Author: Northern branch\n  Pages: 3\n  3 lines of text\n");
}

TEST_F(DemoRoad, DamagedInstallerFailsAndLeavesTheStoreAsItWas) {
  host.site.route(kInstallerPath, okReply(installer.substr(0, installer.size() - 4096)));
  host.site.route(std::string(kInstallerPath) + ".minisig",
                  okReply(readFile(HVDETECTOR_DEMO_INSTALLER ".minisig")));
  const std::string before = detection();
  const HostRun run = host.runHost(SiteHost::installOfTheSitesInstaller());
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("Install error (in red)\n"));
  EXPECT_THAT(
      run.err,
      HasSubstr("Nothing was run: the installer's signature does not match its contents\n"));
  EXPECT_EQ(detection(), before);
  EXPECT_FALSE(std::filesystem::exists(viewer()));
}

TEST_F(DemoRoad, ViewerTakesOnlyOneOfItsDocuments) {
  host.serveSignedInstaller(installer);
  ASSERT_EQ(host.runHost(SiteHost::installOfTheSitesInstaller()).status, 0);
  writeFile(programs / "notes.cvx", "just some notes\n");
  writeFile(programs / "empty.cvx", "");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string said;
  } cases[] = {
      {{}, 2, "expected one document, got 0 arguments"},
      {{"a.cvx", "b.cvx"}, 2, "expected one document, got 2 arguments"},
      {{(programs / "notes.cvx").string()}, 1, "is not a Halverine document"},
      {{(programs / "empty.cvx").string()}, 1, "is not a Halverine document"},
      {{(programs / "absent.cvx").string()}, 1, "cannot read"},
  };
  for (const auto& c : cases) {
    const auto [result, said] = view(c.args);
    EXPECT_EQ(result.exitStatus, c.status) << said;
    EXPECT_THAT(said, HasSubstr(c.said));
  }
}

}  // namespace
}  // namespace hv
