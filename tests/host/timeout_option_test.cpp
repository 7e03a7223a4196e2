#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/flow_run.h"
#include "support/child_process.h"
#include "support/site_host.h"

namespace hv {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using namespace testing;

// The limit ends a run wherever it is held up: in the loop waiting for a response, or deep
// inside the copy of a body that stopped coming. The host runs as its own process, since a run
// held up outside the loop can only be ended by ending the process.
struct StallCase {
  const char* name;
  std::vector<std::string> command;
  Reply stall;
  bool installerRuns = false;
};

Reply silentServer() {
  return Reply{"", 0, {}, Reply::Then::Stall};
}

Reply bodyThatStopsComing() {
  Reply reply = replyWithLength("CVX/1\n", "100000");
  reply.then = Reply::Then::Stall;
  return reply;
}

void PrintTo(const StallCase& c, std::ostream* out) {
  *out << c.name;
}

const std::string kStalled = std::string(kSiteUrl) + "/dl/stalled.cvx";
const std::string kStalledInstaller = std::string(kSiteUrl) + kInstallerPath;
const std::vector<std::string> kInstall = {"install", "--location", kStalledInstaller};
const std::string kEndlessInstaller = "#!/bin/sh\nexec sleep 3\n";

class TimeoutOption : public ::testing::TestWithParam<StallCase> {
 protected:
  ChildResult runStalled(const std::vector<std::string>& command) {
    std::vector<std::string> args = host.hostArgs(command);
    args.insert(args.begin(), {"--timeout", "0.5"});
    return runChild(HVDETECTOR_BINARY, args, {"TMPDIR=" + host.downloads.path().string()},
                    ChildOutput::DevFull, errors.string(), 20000);
  }

  SiteHost host;
  TempDir logs;
  std::filesystem::path errors = logs / "stderr";
};

TEST_P(TimeoutOption, EndsTheStalledRunWithTheReason) {
  const StallCase& c = GetParam();
  host.installApplication("/bin/true \"%1\"");
  host.site.route("/dl/stalled.cvx", c.stall);
  if (c.installerRuns)
    host.serveSignedInstaller(kEndlessInstaller);
  else
    host.site.route(kInstallerPath, c.stall);
  const ChildResult result = runStalled(c.command);
  EXPECT_EQ(result.exitStatus, 1) << readFile(errors);
  EXPECT_THAT(readFile(errors),
              HasSubstr("hvdetector " + c.command[0] +
                        ": no outcome within 0.5 seconds, giving up (--timeout)\n"));
  if (c.installerRuns) {
    // Killing an installer midway could leave a half-installed application: it runs on, and
    // the run says so.
    EXPECT_THAT(readFile(errors), MatchesRegex("(.|\n)*hvdetector install: the installer "
                                               "\\(process [0-9]+\\) is still running\n"));
  } else {
    // The folder holds the log folder too, made while TMPDIR pointed here.
    for (const auto& entry : std::filesystem::directory_iterator(host.downloads.path())) {
      if (entry.is_regular_file())
        ADD_FAILURE() << "an unfinished file is left: " << entry.path();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimeoutOption,
    ::testing::Values(StallCase{"FetchSilentServer", {"fetch", kStalled}, silentServer()},
                      StallCase{"FetchBody", {"fetch", kStalled}, bodyThatStopsComing()},
                      StallCase{"DownloadSilentServer", {"download", kStalled}, silentServer()},
                      StallCase{"DownloadBody", {"download", kStalled}, bodyThatStopsComing()},
                      StallCase{"LaunchSilentServer", {"launch", kStalled}, silentServer()},
                      StallCase{"LaunchBody", {"launch", kStalled}, bodyThatStopsComing()},
                      StallCase{"InstallSilentServer", kInstall, silentServer()},
                      StallCase{"InstallBody", kInstall, bodyThatStopsComing()},
                      StallCase{"InstallerThatDoesNotEnd", kInstall, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimeoutValue, IsAPositiveFiniteNumberOfSecondsUpToTheLongest) {
  struct Case {
    const char* value;
    double seconds;    // what it reads as, when taken
    const char* says;  // why it is refused, when refused
  };
  const Case cases[] = {
      {"0.0001", 0.0001, nullptr},
      {"+5", 5, nullptr},
      {"1e9", 1e9, nullptr},
      {"1e-400", 4.9406564584124654e-324, nullptr},  // positive, if too small for a double
      {"0", 0, "needs a number of seconds greater than 0, not \"0\""},
      {"-1", 0, "needs a number of seconds greater than 0, not \"-1\""},
      {"-1e-400", 0, "needs a number of seconds greater than 0"},
      {"1e308", 0, "takes at most 1000000000 seconds, not \"1e308\""},
      {"1e400", 0, "takes at most 1000000000 seconds"},
      {"inf", 0, "takes at most 1000000000 seconds, not \"inf\""},
      {"nan", 0, "needs a number of seconds, not \"nan\""},
      {"", 0, "needs a number of seconds, not \"\""},
      {"5s", 0, "needs a number of seconds, not"},
      {"0x10", 0, "needs a number of seconds, not"},
  };
  for (const auto& c : cases) {
    if (c.says == nullptr) {
      EXPECT_EQ(parseTimeout(c.value).count(), c.seconds) << c.value;
      continue;
    }
    const HostRun run = runHostWith({"--timeout", c.value, "fetch", kStalled});
    EXPECT_EQ(run.status, 2) << c.value;
    EXPECT_THAT(run.err, HasSubstr(std::string("--timeout: ") + c.says)) << c.value;
  }
}

TEST(TimeoutValue, LeavesARunThatEndsInTimeAsItIs) {
  SiteHost host;
  host.site.route("/dl/report.cvx", okReply("CVX/1\n"));
  for (const char* limit : {"5", "1e5"}) {
    std::vector<std::string> args =
        host.hostArgs({"fetch", std::string(kSiteUrl) + "/dl/report.cvx"});
    args.insert(args.begin(), {"--timeout", limit});
    const HostRun run = runHostWith(args);
    EXPECT_EQ(run.status, 0) << limit << run.err;
  }
}

}  // namespace
}  // namespace hv
