// One table of engine cases run over the fake transfer and over real HTTP on loopback, so that
// the fake the other tests rely on cannot drift from the transfer the host uses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "control/module_state.h"
#include "download/inet_downloader.h"
#include "fakes/fake_platform.h"
#include "runtime/text_encoding.h"
#include "support/loopback_site.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using namespace testing;

struct EngineCase {
  const char* name;
  int status;  // 200, or a failure status the server answers with
  std::size_t bodySize;
  std::string contentLength;
  int downloads;  // on one worker, one after the other
  std::vector<std::pair<std::int32_t, std::int32_t>> progress;
  bool completes;
  std::string errorStart;  // the error's description starts so
};

void PrintTo(const EngineCase& c, std::ostream* os) {
  *os << c.name;
}

// Where the worker's transfers go: answers `c` for the next download and runs it to its end.
class Backend {
 public:
  virtual ~Backend() = default;
  virtual Platform& platform() = 0;
  virtual void run(InetDownloader& worker, const EngineCase& c, RecordingSink& sink) = 0;
  virtual std::string saved(const Text& name) = 0;
};

constexpr char16_t kUrl[] = u"http://www.corvantis.example/dl/report.cvx";

class FakeBackend : public Backend {
 public:
  Platform& platform() override { return fake_.platform; }
  void run(InetDownloader& worker, const EngineCase& c, RecordingSink&) override {
    Text url = kUrl, dest;
    worker.Download(url, dest);
    FakeTransfer& transfer = fake_.transfers.last();
    transfer.responseCode = c.status;
    if (c.status != 200) {
      transfer.responseInfo = u"Not Found";
      transfer.deliver(kTransferFailed);
      return;
    }
    transfer.respond(patternBytes(c.bodySize), fromUtf8(c.contentLength));
    transfer.deliver(kResponseCompleted);
  }
  std::string saved(const Text& name) override { return fake_.files.content(u"/tmp/" + name); }

 private:
  FakePlatform fake_;
};

class LoopbackBackend : public Backend {
 public:
  LoopbackBackend() { site_.tempFolder.path = dir_.slashed(); }
  Platform& platform() override { return site_.platform; }
  void run(InetDownloader& worker, const EngineCase& c, RecordingSink& sink) override {
    site_.server.route("/dl/report.cvx",
                       c.status == 200 ? replyWithLength(patternBytes(c.bodySize), c.contentLength)
                                       : statusReply(c.status, "Not Found"));
    const auto finished = sink.events.size();
    Text url = kUrl, dest;
    worker.Download(url, dest);
    site_.network.loop.runUntil(
        [&] {
          for (auto i = finished; i < sink.events.size(); ++i) {
            if (sink.events[i].id != inet_downloader_dispid::kEventProgress)
              return true;
          }
          return false;
        },
        std::chrono::steady_clock::now() + std::chrono::seconds(20));
  }
  std::string saved(const Text& name) override { return readFile(dir_ / toUtf8(name)); }

 private:
  LoopbackSite site_;
  TempDir dir_;
};

class EngineCases : public ::testing::TestWithParam<std::tuple<const char*, EngineCase>> {};

TEST_P(EngineCases, AgreeOverTheFakeAndOverHttp) {
  const auto& [backendName, c] = GetParam();
  threadModuleState().logLevel = 0;
  std::unique_ptr<Backend> backend;
  if (std::string(backendName) == "Fake")
    backend = std::make_unique<FakeBackend>();
  else
    backend = std::make_unique<LoopbackBackend>();
  InetDownloader worker(backend->platform());
  for (int i = 0; i < c.downloads; ++i) {
    auto sink = std::make_shared<RecordingSink>();
    const auto cookie =
        worker.findConnectionPoint(worker.classInfo().eventInterface.current.iid)->advise(sink);
    backend->run(worker, c, *sink);
    worker.findConnectionPoint(worker.classInfo().eventInterface.current.iid)->unadvise(cookie);

    EXPECT_EQ(sink->progress(), c.progress) << "download " << i + 1;
    EXPECT_EQ(sink->count(inet_downloader_dispid::kEventDownloadComplete), c.completes ? 1 : 0);
    if (c.completes) {
      EXPECT_EQ(sink->count(inet_downloader_dispid::kEventError), 0)
          << toUtf8(sink->error().second);
      EXPECT_EQ(backend->saved(worker.RemoteFileToDownload().toText()), patternBytes(c.bodySize));
    } else {
      EXPECT_EQ(sink->count(inet_downloader_dispid::kEventError), 1);
      EXPECT_EQ(sink->error().first, -20000015);
      EXPECT_THAT(toUtf8(sink->error().second), ::testing::StartsWith(c.errorStart));
    }
  }
}

const EngineCase kCases[] = {
    {"ThreeChunks", 200, 10000, "10000", 1, {{4096, 5904}, {8192, 1808}, {10000, 0}}, true, ""},
    {"OneFullChunk", 200, 4096, "4096", 1, {{4096, 0}}, true, ""},
    {"Empty", 200, 0, "0", 1, {}, true, ""},
    {"TwiceOnOneWorker", 200, 6, "6", 2, {{6, 0}}, true, ""},
    {"NotFound", 404, 0, "0", 1, {}, false, "404 Not Found"},
    {"FailsThenFailsAgain", 404, 0, "0", 2, {}, false, "404 Not Found"},
};

INSTANTIATE_TEST_SUITE_P(Both, EngineCases,
                         ::testing::Combine(::testing::Values("Fake", "Loopback"),
                                            ::testing::ValuesIn(kCases)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param)) + "_" +
                                  std::get<1>(info.param).name;
                         });

}  // namespace
}  // namespace hv
