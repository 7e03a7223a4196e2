// Elements of Base's downloader array are never unloaded, so every download leaves one behind:
// what a finished one keeps must stay small (target: under 4 KiB).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "control/module_state.h"
#include "diag/event_logging.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"

namespace hv {
namespace {

// A transfer that answers at once with a small body and is freed with its owner, as the real
// one is; the fake of the tests keeps every transfer for inspection, which would be counted.
class OwnedTransfer : public TransferControl {
 public:
  void onStateChanged(StateHandler handler) override { handler_ = std::move(handler); }
  void Execute(TextView) override { left_ = 4096 * 3; }
  void Cancel() override { left_ = 0; }
  std::vector<std::uint8_t> GetChunk(std::int16_t size, std::int32_t) override {
    const auto n = std::min<std::size_t>(left_, static_cast<std::size_t>(size));
    left_ -= n;
    return std::vector<std::uint8_t>(n, 0x5a);
  }
  Text GetHeader(TextView name) override { return name == u"Content-Length" ? u"12288" : u""; }
  std::int32_t ResponseCode() override { return 200; }
  Text ResponseInfo() override { return u"OK"; }
  void RequestTimeout(std::int32_t) override {}
  void complete() {
    const StateHandler handler = handler_;
    handler(kResponseCompleted);
  }

 private:
  StateHandler handler_;
  std::size_t left_ = 0;
};

class OwnedTransfers : public TransferFactoryPort {
 public:
  std::unique_ptr<TransferControl> createTransferControl() override {
    auto transfer = std::make_unique<OwnedTransfer>();
    last = transfer.get();
    return transfer;
  }
  OwnedTransfer* last = nullptr;
};

void BM_MemoryKeptPerFinishedElement(benchmark::State& state) {
  constexpr int kDownloads = 2000;
  for (auto _ : state) {
    testing::FakePlatform fake;
    OwnedTransfers transfers;
    Platform platform{fake.registry, fake.eventLog,    fake.tempFolder,
                      fake.clock,    fake.messagePump, transfers,
                      fake.files,    fake.processes,   fake.installerTrust};
    const ClassCatalog classes = libraryCatalog(platform);
    Base base(platform, {classes, nullUiSite()});
    threadModuleState().logLevel = kLogSevere;  // no lines kept in the fake log
    Text url = u"http://www.corvantis.example/dl/report.cvx", dest;
    const auto before = mallinfo2().uordblks;
    for (int i = 0; i < kDownloads; ++i) {
      base.DownloadInternal(url, dest);
      transfers.last->complete();
      fake.files.files.clear();  // the downloaded files are on disk, not in the element
      fake.files.opened.clear();
    }
    const auto after = mallinfo2().uordblks;
    state.counters["bytes per finished element"] = static_cast<double>(after - before) / kDownloads;
    if (base.lastDownloadStatus() != 1)
      state.SkipWithError("the downloads did not complete");
  }
}
BENCHMARK(BM_MemoryKeptPerFinishedElement)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hv
