// Reading the detection properties from a large registry store: after the first read the store
// is only checked for changes, never parsed again.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "control/dispatch.h"
#include "orchestrate/base.h"
#include "orchestrate/library_catalog.h"
#include "posix/composition/posix_platform.h"

namespace hv {
namespace {

constexpr int kKeys = 10000;

class ScratchStore {
 public:
  ScratchStore() {
    std::string pattern = (std::filesystem::temp_directory_path() / "hvbench-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    std::ofstream out(folder_ / "store.reg", std::ios::binary);
    out << "Windows Registry Editor Version 5.00\r\n\r\n";
    for (int i = 0; i < kKeys - 4; ++i) {
      out << "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Vendor.Class" << i << "\\Shell\\Open]\r\n"
          << "@=\"C:\\\\Program Files\\\\Vendor\\\\app" << i << ".exe\"\r\n"
          << "\"Flags\"=dword:" << std::hex << i << std::dec << "\r\n\r\n";
    }
    out << "[HKEY_LOCAL_MACHINE\\Software\\Classes\\MIME\\Database\\Content Type\\"
           "application/x-corvantis-x-file]\r\n\"Extension\"=\".cvx\"\r\n"
        << "[HKEY_LOCAL_MACHINE\\Software\\Classes\\MIME\\Database\\Content Type\\"
           "text/x-corvantis-x-file]\r\n\"Extension\"=\".cvt\"\r\n"
        << "[HKEY_LOCAL_MACHINE\\Software\\Corvantis\\Corvantis Participant Halverine]\r\n"
           "\"Install_Dir\"=\"C:\\\\Halverine\"\r\n"
        << "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\Shell\\AttachmentExecute\\"
           "{0002DF01-0000-0000-C000-000000000046}]\r\n\"Corvantis Executable\"=hex(0):\r\n";
  }
  ~ScratchStore() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

void readAllFive(Base& base, benchmark::State& state) {
  for (TextView name : {u"HasCvxMime", u"HasCvtMime", u"HasParticipantHalverine",
                        u"HasSupervisorHV", u"HasIEAutoOpen"}) {
    Variant answer = invokeByName(base, name, MemberKind::PropertyGet, {});
    benchmark::DoNotOptimize(answer);
  }
  if (base.participantInstallDirectory().empty())
    state.SkipWithError("the store was not read");
}

void BM_FiveDetectionPropertiesFrom10000Keys(benchmark::State& state) {
  ScratchStore store;
  PosixPlatform host({.registry = store.folder().string(), .log = ""}, std::cerr);
  const ClassCatalog catalog = libraryCatalog(host.platform());
  Base base(host.platform(), {catalog, nullUiSite()});
  readAllFive(base, state);  // the first read parses the store
  for (auto _ : state)
    readAllFive(base, state);
}
BENCHMARK(BM_FiveDetectionPropertiesFrom10000Keys)->Unit(benchmark::kMicrosecond);

void BM_FirstReadParses10000Keys(benchmark::State& state) {
  ScratchStore store;
  for (auto _ : state) {
    RegistryStore fresh(store.folder());
    benchmark::DoNotOptimize(fresh.snapshot());
  }
}
BENCHMARK(BM_FirstReadParses10000Keys)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hv
