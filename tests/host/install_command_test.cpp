#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>

#include "support/child_process.h"
#include "support/site_host.h"

namespace hv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;
using namespace testing;

constexpr char kFailureBox[] =
    "Install failed, please try again by clicking refresh on your browser.\n";

class InstallCommand : public ::testing::Test {
 protected:
  void serveInstaller(const std::string& script) { host.serveSignedInstaller(script); }

  SiteHost host;
};

TEST_F(InstallCommand, InstallerThatSucceedsPrintsItsCommandLine) {
  serveInstaller("#!/bin/sh\n[ \"$1 $2\" = \"/S /P\" ] || exit 7\n");
  const HostRun run = host.runHost(SiteHost::installOfTheSitesInstaller());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out,
              MatchesRegex("\"" + host.downloads.slashed() + "install[0-9]+\\.exe\" /S /P\n"));
  EXPECT_THAT(run.err, HasSubstr("Installing......\n"));
  EXPECT_THAT(run.err, HasSubstr("Install complete\n"));
}

TEST_F(InstallCommand, InstallerThatFailsIsAnInstallError) {
  serveInstaller("#!/bin/sh\nexit 1\n");
  const HostRun run = host.runHost(SiteHost::installOfTheSitesInstaller());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_THAT(run.err, HasSubstr("Install error"));
  EXPECT_THAT(run.err, HasSubstr(kFailureBox));
  EXPECT_THAT(run.err, HasSubstr("hvdetector install: the application was not installed\n"));
  EXPECT_THAT(run.err, Not(HasSubstr("Install complete")));
}

// The folder once made the line "D/q"x/install....exe" /S /P start D/q and report success.
TEST_F(InstallCommand, TemporaryFolderHoldingAQuoteRunsTheInstallerItself) {
  writeFile(host.downloads / "q", "#!/bin/sh\ntouch \"$0.ran\"\n");
  ::chmod((host.downloads / "q").c_str(), 0700);
  std::filesystem::create_directory(host.downloads / "q\"x");
  ScopedEnv quoted("TMPDIR", (host.downloads / "q\"x").string());
  serveInstaller("#!/bin/sh\n[ \"$1 $2\" = \"/S /P\" ] || exit 7\n");
  const HostRun run = host.runHost(SiteHost::installOfTheSitesInstaller());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("Install complete\n"));
  EXPECT_FALSE(std::filesystem::exists(host.downloads / "q.ran")) << "the other program ran";
}

// An interrupt ends the host by its signal; the installer it waits for runs on in a group of its
// own, and the host says so.
TEST_F(InstallCommand, InterruptedInstallSaysTheInstallerRunsOn) {
  serveInstaller("#!/bin/sh\nkill -TERM $PPID\nsleep 1\n");
  TempDir logs;
  const ChildResult result =
      runChild(HVDETECTOR_BINARY, host.hostArgs(SiteHost::installOfTheSitesInstaller()),
               {"TMPDIR=" + host.downloads.path().string()}, ChildOutput::DevFull,
               (logs / "stderr").string(), 20000);
  EXPECT_EQ(result.signal, SIGTERM);
  EXPECT_THAT(readFile(logs / "stderr"),
              MatchesRegex("(.|\n)*hvdetector: the installer \\(process [0-9]+\\) is still "
                           "running\n"));
}

TEST_F(InstallCommand, FailedDownloadShowsItsBoxAndRunsNothing) {
  const HostRun run = host.runHost(SiteHost::installOfTheSitesInstaller());
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("Error: -20000015 404 Not Found\n"));
  EXPECT_THAT(run.err, Not(HasSubstr("Installing")));
}

TEST_F(InstallCommand, LocationOnTheDomainIsFetchedInstead) {
  host.serveSignedInstaller("#!/bin/sh\nexit 0\n", "/other/setup.exe");
  const HostRun run =
      host.runHost({"install", "--location", std::string(kSiteUrl) + "/other/setup.exe"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(host.site.requests(), ElementsAre("/other/setup.exe", "/other/setup.exe.minisig"));
  EXPECT_EQ(
      host.runHost({"install", "--location=" + std::string(kSiteUrl) + "/other/setup.exe"}).status,
      0);
}

TEST_F(InstallCommand, LocationOffTheDomainIsRefusedBeforeAnyDownload) {
  serveInstaller("#!/bin/sh\nexit 0\n");
  const HostRun run =
      host.runHost({"install", "--location", "http://www.elsewhere.example/setup.exe"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("refused \"http://www.elsewhere.example/setup.exe\""));
  EXPECT_THAT(host.site.requests(), ::testing::IsEmpty());
}

TEST_F(InstallCommand, LocationTheControlCannotReadIsTheScriptsError) {
  const HostRun run = host.runHost({"install", "--location", "http:abc"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("hvdetector install: error 9: Subscript out of range; the URL has "
                                 "fewer than two \"/\""));
}

TEST_F(InstallCommand, BadArgumentsAreUsageErrors) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"install", "now"},
                                                                {"install", "--location"},
                                                                {"install", "--location="},
                                                                {"install", "--location", "u", "v"},
                                                                {"install", "--place", "u"}}) {
    const HostRun run = host.runHost(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_THAT(run.err, HasSubstr("install takes no arguments but --location URL")) << args.back();
  }
  EXPECT_THAT(host.site.requests(), ::testing::IsEmpty());
}

}  // namespace
}  // namespace hv
