// The host's result is what it prints: run as a program, a command whose output cannot be
// written fails and says why.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/loopback_http_server.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using ::testing::HasSubstr;
using namespace testing;

struct OutputCase {
  const char* name;
  std::vector<std::string> command;  // after the store and connection options
};

void PrintTo(const OutputCase& c, std::ostream* os) {
  *os << c.name;
}

const OutputCase kCommands[] = {
    {"describe", {"describe"}},
    {"detect", {"detect"}},
    {"detectJson", {"detect", "--json"}},
    {"register", {"register"}},
    {"fetch", {"fetch", "http://www.corvantis.example/doc/report.cvx"}},
    {"help", {"--help"}},
};

class UndeliveredOutput : public ::testing::TestWithParam<OutputCase> {
 protected:
  UndeliveredOutput() {
    server.route("/doc/report.cvx", okReply("report"));
    run({"register"}, ChildOutput::DevFull);  // detect needs the classes registered
  }

  ChildResult run(const std::vector<std::string>& command, ChildOutput output) {
    std::vector<std::string> args{
        "--registry", (dir / "store.reg").string(), "--connect-to",
        "www.corvantis.example:80:127.0.0.1:" + std::to_string(server.port())};
    args.insert(args.end(), command.begin(), command.end());
    return runChild(HVDETECTOR_BINARY, args, {"TMPDIR=" + dir.path().string()}, output, errPath());
  }
  std::string errPath() const { return (dir / "stderr").string(); }

  LoopbackHttpServer server;
  TempDir dir;
};

TEST_P(UndeliveredOutput, FailsWithTheReasonWhenStandardOutputIsFullOrClosed) {
  struct Where {
    ChildOutput output;
    const char* reason;
  };
  for (const Where& where : {Where{ChildOutput::DevFull, "No space left on device"},
                             Where{ChildOutput::Closed, "Bad file descriptor"}}) {
    SCOPED_TRACE(where.reason);
    const ChildResult result = run(GetParam().command, where.output);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_THAT(readFile(errPath()),
                HasSubstr(std::string("cannot write standard output: ") + where.reason));
  }
}

// A reader that went away ends the host by the signal, as it would end any other filter.
TEST_P(UndeliveredOutput, EndsByTheSignalWhenTheReaderHasGone) {
  const ChildResult result = run(GetParam().command, ChildOutput::ClosedPipe);
  EXPECT_EQ(result.signal, SIGPIPE);
}

INSTANTIATE_TEST_SUITE_P(Commands, UndeliveredOutput, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
