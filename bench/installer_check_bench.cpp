// What the signature check adds to an install: the whole install road of a large installer
// (download, signature fetch, check), against the check of the same file alone, and the check's
// rise in resident memory for a small and a large file. Targets: the check under 5% of the
// install, and a rise that does not grow with the installer. The site serves at loopback speed,
// far beyond any network's, and at 100 Mbit/s, a fast connection to a vendor's site.
#include <benchmark/benchmark.h>

#include <chrono>

#include "control/module_state.h"
#include "diag/event_logging.h"
#include "fakes/fake_ui_site.h"
#include "orchestrate/base.h"
#include "orchestrate/library_catalog.h"
#include "posix/minisign_trust.h"
#include "runtime/text_encoding.h"
#include "support/loopback_site.h"
#include "support/minisign_signer.h"
#include "support/pattern_bytes.h"
#include "support/peak_memory.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kInstallerPath[] = "/cvAppDownloads/library/windows/vm/install.exe";

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_InstallerCheckAgainstInstall(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0)) << 20;
  const auto megabitsPerSecond = state.range(1);
  const testing::MinisignSigner signer;
  for (auto _ : state) {
    testing::TempDir scratch;
    const std::string installer = testing::patternBytes(size);
    testing::writeFile(scratch / "install.exe", installer);
    const std::string signature = signer.sign(scratch / "install.exe");

    testing::LoopbackSite site;
    testing::TempDir downloads;
    site.tempFolder.path = downloads.slashed();
    testing::Reply served = testing::okReply(installer);
    if (megabitsPerSecond > 0) {
      served.dripBytes = static_cast<std::size_t>(megabitsPerSecond) * 1000 * 1000 / 8 / 10;
      served.dripPause = std::chrono::milliseconds(100);
    }
    site.server.route(kInstallerPath, served);
    site.server.route(std::string(kInstallerPath) + ".minisig", testing::okReply(signature));
    MinisignTrust trust(readMinisignPublicKeys(testing::readFile(signer.publicKey())));
    Platform platform{site.registry,      site.eventLog,     site.tempFolder,
                      site.clock,         site.network.loop, site.transfers,
                      site.network.files, site.processes,    trust};
    testing::FakeUiSite ui;
    const ClassCatalog classes = libraryCatalog(platform);
    threadModuleState().logLevel = kLogSevere;
    Base base(platform, {classes, ui});
    // The library's own default is on https, which the loopback site does not serve.
    base.DownloadLocation(u"http://www.corvantis.example" + fromUtf8(kInstallerPath));

    const auto installStart = Clock::now();
    base.INSTALL();
    const bool ended = site.network.loop.runUntil([&] { return base.lastDownloadStatus() != 0; },
                                                  Clock::now() + std::chrono::minutes(5));
    const double install = secondsSince(installStart);
    if (!ended || ui.labels["lblDownload"].caption != u"Install complete") {
      state.SkipWithError("the signed installer was not installed");
      return;
    }

    const Text fetched = fromUtf8(downloads.slashed() + "install63921449486000.exe");
    const testing::PeakMemoryWatch memory;
    const auto checkStart = Clock::now();
    trust.checkAndHold(fetched, signature);
    const double check = secondsSince(checkStart);
    state.counters["install s"] = install;
    state.counters["check s"] = check;
    state.counters["check % of install"] = 100 * check / install;
    state.counters["check's resident rise MiB"] =
        static_cast<double>(memory.riseBytes()) / (1 << 20);
  }
}
BENCHMARK(BM_InstallerCheckAgainstInstall)
    ->ArgNames({"MiB", "Mbit/s"})
    ->Args({16, 0})
    ->Args({256, 0})
    ->Args({256, 100})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hv
