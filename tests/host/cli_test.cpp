#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "control/resources.h"
#include "download/site_domain.h"
#include "runtime/text_encoding.h"
#include "support/host_run.h"

namespace hv {
namespace {

using testing::HostRun;
using testing::runHostWith;

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
                                      "default installer [^\n]+\n"
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
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"frobnicate"}, {"--bogus", "describe"}, {"describe", "extra"}}) {
    const HostRun r = runHostWith(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("hvdetector --help"), std::string::npos) << r.err;
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
