#include "posix/connect_to_record.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace hv {
namespace {

using ::testing::ElementsAreArray;

struct RecordCase {
  const char* name;
  std::vector<std::string> entries;
  std::vector<std::string> requests;
  std::vector<std::string> unmatched;
};

void PrintTo(const RecordCase& c, std::ostream* os) {
  *os << c.name;
}

const std::string kSite = "www.corvantis.example:80:127.0.0.1:8080";

// Matched as libcurl matches: the first entry for the host (any host when empty, ASCII case
// ignored) and the port (the scheme's own when the URL names none) is the one that is used.
const RecordCase kCases[] = {
    {"TheSchemesOwnPort", {kSite}, {"http://www.corvantis.example/a"}, {}},
    {"TheHostInAnyCase", {kSite}, {"http://WWW.Corvantis.EXAMPLE/a"}, {}},
    {"AMistypedHost",
     {"www.corvantis.exmaple:80:127.0.0.1:8080"},
     {"http://www.corvantis.example/a"},
     {"www.corvantis.exmaple:80:127.0.0.1:8080"}},
    {"AnotherPort", {kSite}, {"https://www.corvantis.example/a"}, {kSite}},
    {"AnExplicitPort",
     {"www.corvantis.example:8443:127.0.0.1:1"},
     {"https://www.corvantis.example:8443/a"},
     {}},
    {"AnyHostAnyPort", {"::127.0.0.1:"}, {"ftp://files.corvantis.example/a"}, {}},
    {"OnlyTheFirstMatchIsUsed",
     {"::127.0.0.1:1", kSite},
     {"http://www.corvantis.example/"},
     {kSite}},
    {"ARedirectTakesTheSecond",
     {kSite, "dl.corvantis.example:443:127.0.0.1:8443"},
     {"http://www.corvantis.example/a", "https://dl.corvantis.example/b"},
     {}},
    {"AnIPv6Host", {"[::1]:80:127.0.0.1:8080"}, {"http://[::1]/a"}, {}},
    {"NoRequestReportsNothing", {kSite}, {}, {}},
    {"AnUnparsableUrlMatchesNothing", {kSite}, {"http://www.corvantis.example:99999/"}, {kSite}},
};

class ConnectToRecordTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(ConnectToRecordTest, ReportsTheEntriesNoRequestTook) {
  const auto& c = GetParam();
  ConnectToRecord record(c.entries);
  for (const auto& url : c.requests)
    record.noteRequest(url);
  EXPECT_THAT(record.unmatched(), ElementsAreArray(c.unmatched));
}

INSTANTIATE_TEST_SUITE_P(Cases, ConnectToRecordTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
