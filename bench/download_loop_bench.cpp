// A page that calls DownloadInternal in a loop without waiting for any of them: what one Base
// takes from the machine while it works through them, over real HTTP on loopback. A new download
// cancels the one it supersedes, so the descriptors, threads and memory stay those of one
// transfer (targets: under 16 descriptors and 4 threads above where the run began, under 32 MiB
// of resident memory), however many calls the loop makes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "control/module_state.h"
#include "diag/event_logging.h"
#include "fakes/fake_ui_site.h"
#include "orchestrate/base.h"
#include "orchestrate/library_catalog.h"
#include "support/loopback_site.h"
#include "support/pattern_bytes.h"
#include "support/peak_memory.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

long openDescriptors() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return std::distance(std::filesystem::begin(fds), std::filesystem::end(fds));
}

long threads() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("Threads:"))
      return std::stol(line.substr(8));
  }
  return 0;
}

void BM_DownloadLoopOnOneBase(benchmark::State& state) {
  const auto calls = static_cast<int>(state.range(0));
  for (auto _ : state) {
    testing::LoopbackSite site;
    testing::TempDir dir;
    site.tempFolder.path = dir.slashed();
    site.server.route("/dl/report.cvx", testing::okReply(testing::patternBytes(1 << 20)));
    testing::FakeUiSite ui;
    const ClassCatalog classes = libraryCatalog(site.platform);
    threadModuleState().logLevel = kLogSevere;  // no lines kept in the fake log
    const testing::PeakMemoryWatch memory;
    const long descriptorsBefore = openDescriptors();
    const long threadsBefore = threads();
    long mostDescriptors = descriptorsBefore;
    long mostThreads = threadsBefore;
    const auto sample = [&] {
      mostDescriptors = std::max(mostDescriptors, openDescriptors());
      mostThreads = std::max(mostThreads, threads());
    };
    Base base(site.platform, {classes, ui});
    Text url = u"http://www.corvantis.example/dl/report.cvx", dest;
    for (int i = 0; i < calls; ++i) {
      base.DownloadInternal(url, dest);
      site.network.loop.pumpOnce();  // as a page's script lets its browser breathe
      sample();
    }
    const bool ended = site.network.loop.runUntil(
        [&] {
          sample();
          return base.lastDownloadStatus() != 0;
        },
        std::chrono::steady_clock::now() + std::chrono::seconds(60));
    state.counters["descriptors above start, at most"] =
        static_cast<double>(mostDescriptors - descriptorsBefore);
    state.counters["threads above start, at most"] =
        static_cast<double>(mostThreads - threadsBefore);
    state.counters["resident rise MiB"] = static_cast<double>(memory.riseBytes()) / (1 << 20);
    if (!ended || base.lastDownloadStatus() != 1)
      state.SkipWithError("the last download did not complete");
  }
}
BENCHMARK(BM_DownloadLoopOnOneBase)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hv
