#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "support/site_host.h"

namespace hv {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;
using namespace testing;

constexpr char kBox[] = "Corvantis Halverine Detector\n";

struct LaunchCase {
  const char* name;
  std::optional<std::string> openCommand;  // none: the application is not installed
  std::string url;
  int status;
  std::string err;  // a part of what the run writes on standard error
};

void PrintTo(const LaunchCase& c, std::ostream* out) {
  *out << c.name;
}

class LaunchCommand : public ::testing::TestWithParam<LaunchCase> {
 protected:
  SiteHost host;
};

TEST_P(LaunchCommand, FailsWithTheReasonAndStartsNothing) {
  const LaunchCase& c = GetParam();
  host.site.route("/dl/report.cvx", okReply("CVX/1\n"));
  if (c.openCommand)
    host.installApplication(*c.openCommand);
  const HostRun run = host.runHost({"launch", c.url});
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_THAT(run.err, HasSubstr(c.err));
  EXPECT_EQ(run.out, "");
}

const std::string kDocument = std::string(kSiteUrl) + "/dl/report.cvx";

INSTANTIATE_TEST_SUITE_P(
    Cases, LaunchCommand,
    ::testing::Values(
        LaunchCase{"OffDomain", "/bin/true \"%1\"", "http://www.elsewhere.example/dl/report.cvx", 1,
                   std::string(kBox) + "Invalid domain must be a URL for corvantis.example\n"
                                       "hvdetector launch: nothing was started\n"},
        LaunchCase{"MissingDocument", "/bin/true \"%1\"", std::string(kSiteUrl) + "/dl/gone.cvx", 1,
                   "Error: -20000015 404 Not Found\nhvdetector launch: nothing was started\n"},
        LaunchCase{"NotInstalled", std::nullopt, kDocument, 1,
                   std::string(kBox) + "Halverine is not installed\n"},
        LaunchCase{"ShortUrl", "/bin/true \"%1\"", "x:/a", 1,
                   std::string(kBox) + "Malformed URL\n"},
        // The page's blank URL is no URL at all to the command line.
        LaunchCase{"BlankUrl", "/bin/true \"%1\"", "   ", 2, "launch takes a URL such as"},
        LaunchCase{"NoOpenCommand", "", kDocument, 1,
                   "nothing was started: no open command is registered"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LaunchCommandStart, PrintsTheCommandLineItStartedWithTheDownloadedPath) {
  SiteHost host;
  host.site.route("/dl/report.cvx", okReply("CVX/1\n"));
  host.installApplication("\"/bin/true\" \"%1\"");
  const HostRun run = host.runHost({"launch", kDocument});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, MatchesRegex("\"/bin/true\" \"" + host.downloads.slashed() +
                                    "report[0-9]+\\.cvx\"\n"));
  EXPECT_THAT(run.err, Not(HasSubstr(kBox)));
}

TEST(LaunchCommandStart, MissingProgramNamesTheRuntimesError) {
  SiteHost host;
  host.site.route("/dl/report.cvx", okReply("CVX/1\n"));
  host.installApplication("/nonexistent/viewer \"%1\"");
  const HostRun run = host.runHost({"launch", kDocument});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, ContainsRegex("hvdetector launch: could not start /nonexistent/viewer \"" +
                                     host.downloads.slashed() +
                                     "report[0-9]+\\.cvx\": error 53: File not found\n"));
}

TEST(LaunchInternalCommand, OpensTheBareNameBeforeAnyDownload) {
  SiteHost host;
  host.installApplication("\"/bin/true\" \"%1\"");
  const HostRun run = host.runHost({"launch-internal", "abc.cvx"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "\"/bin/true\" \"abc.cvx\"\n");
}

TEST(LaunchInternalCommand, NameThatIsNotAPlainFileNameStartsNothingAndSaysWhy) {
  SiteHost host;
  host.installApplication("\"/bin/true\" \"%1\"");
  const std::pair<const char*, const char*> refusals[] = {
      {"../abc.cvx", "the name ../abc.cvx holds a character no file name may hold"},
      {"a\" --option \"b", "the name a\" --option \"b holds a character no file name may hold"},
      {"", "the name  is no file name"},
      {"sub/abc.cvx", "the name sub/abc.cvx holds a character"},
      {"CON.cvx", "the name CON.cvx names a device"},
      {"-x.cvx", "the document's path -x.cvx starts with \"-\""},
      {"a\x1b[2J.cvx", "the name a\\x1b[2J.cvx"},
  };
  for (const auto& [name, why] : refusals) {
    const HostRun run = host.runHost({"launch-internal", name});
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_EQ(run.out, "") << name;
    EXPECT_THAT(run.err,
                HasSubstr(std::string("hvdetector launch-internal: nothing was started: ") + why))
        << name;
  }
}

TEST(LaunchCommandUsage, WantsExactlyOneArgument) {
  SiteHost host;
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"launch"}, {"launch", "a", "b"}, {"launch-internal"}, {"launch-internal", "a", "b"}}) {
    const HostRun run = host.runHost(args);
    EXPECT_EQ(run.status, 2) << args[0];
    EXPECT_THAT(run.err, HasSubstr("hvdetector: " + args[0] + " takes exactly one"));
  }
}

}  // namespace
}  // namespace hv
