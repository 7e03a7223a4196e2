#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "control/resources.h"
#include "download/site_domain.h"
#include "runtime/text_encoding.h"
#include "support/host_run.h"
#include "support/site_host.h"

namespace hv {
namespace {

using testing::HostRun;
using testing::kSiteUrl;
using testing::runHostWith;
using testing::SiteHost;

TEST(Cli, HelpListsEveryCommand) {
  const HostRun r = runHostWith({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("describe"), std::string::npos);
  EXPECT_NE(r.out.find("Usage: hvdetector"), std::string::npos);
}

TEST(Cli, VersionNamesTheLibraryTheTransferLibraryTheDomainAndTheInstallersKeys) {
  const HostRun r = runHostWith({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out,
              ::testing::MatchesRegex("hvdetector 1\\.04\\.0008\n"
                                      "libcurl [0-9]+\\.[0-9]+\\.[0-9]+[^\n]*\n"
                                      "site domain " +
                                      toUtf8(SiteDomain()) +
                                      "\n"
                                      "(installer signing key [0-9A-F]+ \\(minisign\\)\n)+"));
}

// The package takes its version from the build, the module's resources carry their own: a
// release that bumps one and not the other ships a package that lies about what it holds.
TEST(Cli, ThePackageVersionIsTheModulesVersion) {
  const auto& v = versionInfo().fileVersion;
  EXPECT_EQ(std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
                std::to_string(v[3]),
            HVDETECTOR_PROJECT_VERSION);
}

TEST(Cli, UsageMistakesExitWithTwoAndAHint) {
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const std::string longUrl = "http://www.corvantis.example/" + std::string(5000, 'a');
  const Case cases[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command \"frobnicate\""},
      {{"--bogus", "describe"}, "unknown option \"--bogus\""},
      {{"describe", "extra"}, "describe takes no arguments"},
      {{"--help", "extra"}, "--help takes no arguments, not \"extra\""},
      {{"--version", "detect"}, "--version takes no arguments, not \"detect\""},
      {{"detect", "--registry", "x"}, "options go before the command: hvdetector --registry ..."},
      {{"fetch", "--timeout=5", "http://www.corvantis.example/a"}, "options go before"},
      // Echoed input reaches the terminal escaped and cut.
      {{"frob\x1b]0;owned\x07"}, "unknown command \"frob\\x1b]0;owned\\x07\""},
      {{std::string(5000, 'x')}, "xxx...\""},
      // A text that is no URL at all is a usage mistake; a URL the control cannot use is not.
      {{"fetch", "www.corvantis.example/a.cvx"}, "fetch takes a URL such as http://"},
      {{"launch", ""}, "launch takes a URL such as"},
      {{"download", "\x1b[2J"}, "not \"\\x1b[2J\""},
      {{"install", "--location", "a.exe"}, "install --location takes a URL"},
  };
  for (const auto& c : cases) {
    const HostRun r = runHostWith(c.args);
    EXPECT_EQ(r.status, 2) << c.says;
    EXPECT_THAT(r.err, ::testing::HasSubstr(c.says));
    EXPECT_THAT(r.err, ::testing::HasSubstr("Try 'hvdetector --help'"));
    EXPECT_LT(r.err.size(), 400u) << "a long input is cut";
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << "raw escape in " << r.err;
  }
}

// The runtime's number stays, and what was wrong with the URL follows it, without the URL.
TEST(Cli, AUrlTheControlCannotUseKeepsTheErrorNumberAndSaysWhatIsWrong) {
  SiteHost host;
  host.installApplication("/bin/true \"%1\"");
  const std::string tooLong = std::string(kSiteUrl) + "/" + std::string(40000, 'a') + ".cvx";
  const std::string length = std::to_string(tooLong.size());
  const std::string questionFirst = std::string(kSiteUrl) + "/a?b/c.cvx";
  struct Case {
    std::string command, url, says;
  };
  const Case cases[] = {
      {"fetch", tooLong, "fetch: error 6: Overflow; the URL is " + length + " characters long"},
      {"download", tooLong, "download: error 6: Overflow; the URL is " + length},
      {"launch", tooLong, "launch: nothing was started: the URL is " + length},
      {"fetch", "http:www.corvantis.example",
       "fetch: error 9: Subscript out of range; the URL has fewer than two \"/\""},
      {"download", "http:www.corvantis.example", "download: error 9: Subscript out of range; the"},
      {"fetch", questionFirst,
       "fetch: error 5: Invalid procedure call or argument; the URL's last \"?\" comes before"},
      {"launch", questionFirst, "launch: nothing was started: the URL's last \"?\""},
  };
  for (const auto& c : cases) {
    const HostRun r = host.runHost({c.command, c.url});
    EXPECT_EQ(r.status, 1) << c.says;
    EXPECT_THAT(r.err, ::testing::HasSubstr(c.says));
    EXPECT_LT(r.err.size(), 1000u);
  }
}

TEST(Cli, DescribeShowsClassesMembersEventsAndRegistration) {
  const HostRun r = runHostWith({"describe"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* expected :
       {"library HVDetector {350C45A9-FCCA-4A96-8572-75B686F0CC80} version 3.2",
        "class Base  HVDetector.Base", "class InetDownloader  HVDetector.InetDownloader",
        "0x60030010  LAUNCH(ByRef url As String)", "(alias Base___v0)",
        "3  error(ByRef errCode As Long, ByRef errMsg As String)",
        "\"ThreadingModel\" = \"Apartment\"",
        "IDispatch            {00020400-0000-0000-C000-000000000046}  S_OK, supported 3, enabled 1",
        "object safety: no IObjectSafety"}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected;
  }
}

}  // namespace
}  // namespace hv
