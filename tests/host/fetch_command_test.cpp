#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/host_run.h"
#include "support/loopback_http_server.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using namespace testing;

class FetchCommand : public ::testing::Test {
 protected:
  HostRun fetch(const std::string& path) {
    return runHostWith({"--connect-to",
                        "www.corvantis.example:80:127.0.0.1:" + std::to_string(server.port()),
                        "fetch", "http://www.corvantis.example" + path});
  }

  LoopbackHttpServer server;
  TempDir dir;
  ScopedEnv tmpdir{"TMPDIR", dir.path().string()};
};

TEST_F(FetchCommand, PrintsTheLocalPathOnCompletion) {
  const std::string body = patternBytes(20000);
  server.route("/doc/report.cvx", okReply(body));
  const HostRun run = fetch("/doc/report.cvx");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_THAT(run.out, ::testing::StartsWith(dir.slashed() + "report"));
  const std::string path = run.out.substr(0, run.out.size() - 1);
  EXPECT_EQ(readFile(dir / path.substr(dir.slashed().size())), body);
}

// The temporary folder's bytes reach the file system and the printed path unchanged, whether or
// not they are UTF-8.
TEST_F(FetchCommand, ATemporaryFolderWithAnyBytesInItsNameIsUsedAsItIs) {
  const std::string body = patternBytes(9000);
  server.route("/doc/report.cvx", okReply(body));
  for (const std::string folder : {"t-\xC3\xBC", "t-\xFC", "caf\xC3\xA9 \xE2\x82\xAC \x80\xFF"}) {
    std::filesystem::create_directory(dir / folder);
    const std::string tmpdir = (dir / folder).string() + "/";
    ::setenv("TMPDIR", tmpdir.c_str(), 1);
    const HostRun run = fetch("/doc/report.cvx");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_THAT(run.out, ::testing::StartsWith(tmpdir + "report"));
    EXPECT_EQ(readFile(run.out.substr(0, run.out.size() - 1)), body) << folder;
  }
}

TEST_F(FetchCommand, FailuresExitNonZeroWithNumberAndDescription) {
  EXPECT_THAT(fetch("/missing.cvx").err, HasSubstr("error -20000015: 404 Not Found"));
  const HostRun outside = runHostWith({"fetch", "http://www.elsewhere.example/a.cvx"});
  EXPECT_EQ(outside.status, 1);
  EXPECT_THAT(outside.err,
              HasSubstr("error -200002: Invalid domain must be a URL for corvantis.example"));
}

// A mistyped entry leaves the request it was meant for to the host's real address: the run says
// so once, whatever else happens.
TEST_F(FetchCommand, AnEntryNoRequestTookIsReportedOnce) {
  server.route("/doc/report.cvx", okReply("x"));
  const std::string typo = "www.corvantis.exmaple:80:127.0.0.1:1";
  const HostRun run =
      runHostWith({"--connect-to", typo, "--connect-to",
                   "www.corvantis.example:80:127.0.0.1:" + std::to_string(server.port()),
                   "--connect-to", typo, "fetch", "http://www.corvantis.example/doc/report.cvx"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string report = "hvdetector: --connect-to " + typo + " matched no request\n";
  EXPECT_EQ(run.err, report);

  const HostRun noRequest = runHostWith({"--connect-to", typo, "describe"});
  EXPECT_EQ(noRequest.err, "");
}

// With any mapping given, a request none of it covers never reaches name resolution.
TEST_F(FetchCommand, ARequestNoEntryCoversFailsAtOnceAndLooksNothingUp) {
  const std::string only = "www.corvantis.exmaple:80:127.0.0.1:1";
  const HostRun run =
      runHostWith({"--connect-to", only, "fetch", "http://www.corvantis.example/doc/report.cvx"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("error -20000015: 6 www.corvantis.example port 80 matches no "
                                 "connect-to entry: nothing was looked up or sent\n"));
  EXPECT_THAT(run.err, HasSubstr("--connect-to " + only + " matched no request"));
}

// The transfer sends a URL holding a raw blank, through the entry that covers its host.
TEST_F(FetchCommand, AUrlWithARawBlankTakesItsEntry) {
  server.route("/doc/a b.cvx", okReply("x"));
  const HostRun run = fetch("/doc/a b.cvx");
  EXPECT_THAT(run.err, Not(HasSubstr("matched no request"))) << run.err;
}

// Checked up front: a bad entry would otherwise be accepted and fail, or be ignored, only once a
// request is made.
TEST(HostOptions, ConnectToTakesCurlsFourFieldsWithPortsInRange) {
  struct Case {
    const char* value;
    bool accepted;
  };
  const Case cases[] = {
      {"www.corvantis.example:80:127.0.0.1:8080", true},
      {"::127.0.0.1:", true},
      {"www.corvantis.example:443:[::1]:8443", true},
      {"[::1]:443:[fe80::1%25eth0]:8443", true},
      {":65535:localhost:1", true},
      {"www.corvantis.example:80:127.0.0.1", false},
      {"www.corvantis.example:http:127.0.0.1:80", false},
      {"a:1:b:2:c", false},
      {"www.corvantis.example:0:127.0.0.1:80", false},
      {"www.corvantis.example:80:127.0.0.1:0", false},
      {"www.corvantis.example:99999:127.0.0.1:80", false},
      {"www.corvantis.example:80:127.0.0.1:65536", false},
      {"www.corvantis.example:-1:127.0.0.1:80", false},
      {"www.corvantis.example:80::8080", false},
      {":::", false},
      {"www.corvantis.example:80:[::1:8080", false},
      {"www.corvantis.example:80:::1]:8080", false},
      {"www.corvantis.example:80:127.0.0.1 :8080", false},
      {"www.corvantis.example:80:127.0.0.1:8080\n", false},
  };
  for (const auto& c : cases) {
    // With no command after it, an accepted option still ends in the "no command" usage error.
    const HostRun run = runHostWith({"--connect-to", c.value});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.find("--connect-to:") == std::string::npos, c.accepted) << c.value << run.err;
  }
}

}  // namespace
}  // namespace hv
