// `hvdetector fetch` against servers that break their responses: the command fails, says why and
// keeps memory bounded; only a whole body is a success.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "support/gzip_bytes.h"
#include "support/host_run.h"
#include "support/lazy_case.h"
#include "support/loopback_http_server.h"
#include "support/peak_memory.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using ::testing::HasSubstr;
using namespace testing;

constexpr std::size_t kMemoryBound = 32 << 20;

const std::string& expandingGzip() {
  static const std::string gzip = gzipOfZeros(256 << 20);
  return gzip;
}

struct Hostile {
  const char* name;
  Reply reply;
  int status;
  std::string said;                  // on standard error, or standard output on success
  std::optional<std::string> saved;  // the one file left in the temporary folder, if any
};

class FetchFromHostileServer : public ::testing::TestWithParam<LazyCase<Hostile>> {
 protected:
  std::vector<std::string> filesLeft() const {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      files.push_back(readFile(entry.path()));
    return files;
  }

  LoopbackHttpServer server;
  TempDir dir;
  ScopedEnv tmpdir{"TMPDIR", dir.path().string()};
};

TEST_P(FetchFromHostileServer, SucceedsOnlyWithTheWholeBody) {
  const Hostile c = GetParam().make();
  server.route("/doc/a.cvx", c.reply);
  const PeakMemoryWatch memory;
  const HostRun run = runHostWith(
      {"--connect-to", "www.corvantis.example:80:127.0.0.1:" + std::to_string(server.port()),
       "fetch", "http://www.corvantis.example/doc/a.cvx"});
  if (PeakMemoryWatch::meaningful()) {
    EXPECT_LT(memory.riseBytes(), kMemoryBound);
  }
  EXPECT_EQ(run.status, c.status) << run.out << run.err;
  EXPECT_THAT(c.status == 0 ? run.out : run.err, HasSubstr(c.said));
  if (c.status != 0) {
    EXPECT_EQ(run.out, "") << "a failure prints no path";
  }
  const std::vector<std::string> files = filesLeft();
  if (c.saved) {
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(files[0] == *c.saved) << files[0].size() << " bytes, not the bytes served";
  } else {
    EXPECT_TRUE(files.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Http, FetchFromHostileServer,
    ::testing::Values(
        LazyCase<Hostile>{
            "ConflictingLengths",
            [] {
              return Hostile{
                  "ConflictingLengths",
                  replyWithHeaders("Content-Length: 5\r\nContent-Length: 100\r\n", "1234567"), 1,
                  "error -20000015: 8 Conflicting Content-Length values", std::nullopt};
            }},
        LazyCase<Hostile>{
            "CutShortAfterTheHead",
            [] {
              Reply cut = replyWithLength(patternBytes(4096), "10000");
              cut.then = Reply::Then::Reset;
              return Hostile{"CutShortAfterTheHead", cut, 1, "error -20000015: ", std::nullopt};
            }},
        LazyCase<Hostile>{
            "TransferEncodedBomb",
            [] {
              return Hostile{
                  "TransferEncodedBomb",
                  replyWithHeaders("Transfer-Encoding: gzip\r\nContent-Length: 268435456\r\n",
                                   expandingGzip()),
                  1, "error -20000015: 61 Unsupported Transfer-Encoding: gzip", std::nullopt};
            }},
        LazyCase<Hostile>{"ContentEncodedBombIsSavedAsServed",
                          [] {
                            return Hostile{"ContentEncodedBombIsSavedAsServed",
                                           replyWithHeaders(
                                               "Content-Encoding: gzip\r\nContent-Length: " +
                                                   std::to_string(expandingGzip().size()) + "\r\n",
                                               expandingGzip()),
                                           0, "/a", expandingGzip()};
                          }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
