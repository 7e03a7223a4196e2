#include "posix/stream_event_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "posix/composition/event_log_sink.h"
#include "runtime/script_error.h"

namespace hv {
namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(StreamEventLog, WritesOneEntryPerLineWithLineBreaksFolded) {
  struct Case {
    std::int16_t type;
    Text message;
    std::string line;
  };
  const Case cases[] = {
      {kEventInformation, u"Request URL http://www.corvantis.example/a.cvx",
       "HVDetector information: Request URL http://www.corvantis.example/a.cvx\n"},
      {kEventInformation, u"caf\u00e9 %1 \"q\"", "HVDetector information: caf\xc3\xa9 %1 \"q\"\n"},
      // A path the temporary folder gave, with a byte that is not UTF-8: written as it was.
      {kEventInformation, u"Saving to /tmp/t-\xDCFC/a.cvx",
       "HVDetector information: Saving to /tmp/t-\xFC/a.cvx\n"},
      {kEventInformation, u"", "HVDetector information: \n"},
      // A server's reason phrase in a log line on a terminal.
      {kEventInformation, u"Http Status 500 \x1b[2J\x07\u009b\u202e\u00e9",
       "HVDetector information: Http Status 500 \\x1b[2J\\x07\\x9b\\u202e\xc3\xa9\n"},
      {kEventInformation, u"one\r\nHVDetector error: forged\rthree\n",
       "HVDetector information: one\n\tHVDetector error: forged\n\tthree\n\t\n"},
      {kEventWarning, u"w", "HVDetector warning: w\n"},
      {kEventError, u"e", "HVDetector error: e\n"},
  };
  for (const auto& c : cases) {
    std::ostringstream out;
    StreamEventLog log(out, "test stream");
    log.report(c.type, c.message);
    EXPECT_EQ(out.str(), c.line);
  }
}

TEST(StreamEventLog, AFailedWriteIsAScriptErrorAndLaterLinesAreTriedAgain) {
  std::stringbuf buffer;
  std::ostream out(nullptr);
  StreamEventLog log(out, "a broken stream");
  try {
    log.report(kEventInformation, u"lost");
    FAIL() << "the failed write was reported as success";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), runtime_error::kDeviceIoError);
    EXPECT_EQ(e.description(),
              u"Device I/O error: the log line could not be written to a broken stream");
  }
  out.rdbuf(&buffer);
  log.report(kEventInformation, u"kept");
  EXPECT_EQ(buffer.str(), "HVDetector information: kept\n");
}

TEST(StreamEventLog, AFullDiskIsReportedNotSwallowed) {
  if (!std::filesystem::exists("/dev/full"))
    GTEST_SKIP() << "no /dev/full here";
  auto log = StreamEventLog::appendingTo("/dev/full");
  EXPECT_THROW(log->report(kEventInformation, u"line"), ScriptError);
}

TEST(EventLogSink, FileOptionAppendsAndALogThatCannotBeWrittenIsSaidOnceAndDropped) {
  const auto path = std::filesystem::path(::testing::TempDir()) /
                    ("hvdetector-log-" + std::to_string(::getpid()) + ".txt");
  std::filesystem::remove(path);
  { std::ofstream(path) << "earlier run\n"; }
  std::ostringstream err;
  auto log = makeEventLog(HostOptions{.log = path.string()}, err);
  log->report(kEventInformation, u"first");
  log->report(kEventInformation, u"second");
  EXPECT_EQ(readFile(path),
            "earlier run\nHVDetector information: first\nHVDetector information: second\n");
  std::filesystem::remove(path);

  EXPECT_EQ(err.str(), "");

  const auto missing = (path / "no-such-folder" / "log.txt").string();
  makeEventLog(HostOptions{.log = missing}, err)->report(kEventInformation, u"line");
  EXPECT_EQ(err.str(), "hvdetector: cannot open the log " + missing +
                           ": No such file or directory; going on without the log\n");

  const auto fifo = std::filesystem::path(::testing::TempDir()) /
                    ("hvdetector-log-" + std::to_string(::getpid()) + ".fifo");
  ::mkfifo(fifo.c_str(), 0600);
  err.str("");
  makeEventLog(HostOptions{.log = fifo.string()}, err)->report(kEventInformation, u"line");
  EXPECT_EQ(err.str(), "hvdetector: cannot open the log " + fifo.string() +
                           ": it is a FIFO nobody reads; going on without the log\n");
  std::filesystem::remove(fifo);

  if (std::filesystem::exists("/dev/full")) {
    err.str("");
    auto full = makeEventLog(HostOptions{.log = "/dev/full"}, err);
    full->report(kEventInformation, u"one");
    full->report(kEventInformation, u"two");
    EXPECT_EQ(err.str(),
              "hvdetector: Device I/O error: the log line could not be written to /dev/full; "
              "going on without the log\n")
        << "said once";
  }
}

}  // namespace
}  // namespace hv
