#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/host_run.h"
#include "support/loopback_http_server.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using ::testing::HasSubstr;
using namespace testing;

class DownloadCommand : public ::testing::Test {
 protected:
  HostRun host(std::vector<std::string> args) {
    args.insert(args.begin(),
                {"--registry", (store.path() / "registry.reg").string(), "--connect-to",
                 "www.corvantis.example:80:127.0.0.1:" + std::to_string(server.port())});
    return runHostWith(args);
  }
  HostRun download(const std::string& path) {
    host({"register"});
    return host({"download", "http://www.corvantis.example" + path});
  }

  LoopbackHttpServer server;
  TempDir dir;
  TempDir store;
  ScopedEnv tmpdir{"TMPDIR", dir.path().string()};
};

TEST_F(DownloadCommand, PrintsTheLocalPathWithThePanelOnStandardError) {
  const std::string body = patternBytes(100000);
  server.route("/dl/report.cvx", okReply(body));
  const HostRun run = download("/dl/report.cvx");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_THAT(run.out, ::testing::StartsWith(dir.slashed() + "report"));
  EXPECT_EQ(readFile(run.out.substr(0, run.out.size() - 1)), body);
  EXPECT_THAT(run.err, HasSubstr("Downloading Corvantis Halverine\nDownload Progress\n"));
  EXPECT_THAT(run.err, HasSubstr("[##############################] 100%\n"));
}

TEST_F(DownloadCommand, FailedTransferShowsOneBoxThenTheErrorAndExitsOne) {
  const HostRun run = download("/missing.cvx");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("\nError: -20000015 404 Not Found\n"
                                 "hvdetector download: error -20000015: 404 Not Found\n"));
  EXPECT_EQ(run.out, "");
}

TEST_F(DownloadCommand, RefusedUrlIsTheCallersErrorWithoutABox) {
  host({"register"});
  const HostRun run = host({"download", "http://www.elsewhere.example/a.cvx"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("error -200002: Invalid domain must be a URL for "));
  EXPECT_THAT(run.err, ::testing::Not(HasSubstr("Error: ")));
}

TEST_F(DownloadCommand, NeedsBothClassesRegistered) {
  writeFile(store.path() / "registry.reg", "REGEDIT4\n");
  const HostRun run = host({"download", "http://www.corvantis.example/a.cvx"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("class not registered"));
}

TEST_F(DownloadCommand, HelpListsItAndTheBoxesOption) {
  const HostRun help = runHostWith({"--help"});
  EXPECT_THAT(help.out, HasSubstr("  download URL"));
  EXPECT_THAT(help.out, HasSubstr("  --boxes wait|print"));
  EXPECT_EQ(runHostWith({"--boxes", "never", "download", "x"}).status, 2);
}

}  // namespace
}  // namespace hv
