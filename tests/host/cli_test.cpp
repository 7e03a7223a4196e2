#include <gtest/gtest.h>

#include "support/host_run.h"

namespace hv {
namespace {

using testing::HostRun;
using testing::runHostWith;

TEST(Cli, HelpListsEveryCommand) {
  const HostRun r = runHostWith({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("describe"), std::string::npos);
  EXPECT_NE(r.out.find("usage: hvdetector"), std::string::npos);
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
