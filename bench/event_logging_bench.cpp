// Every download and launch writes diagnostic lines, and on most machines the threshold drops
// them: a dropped line must cost next to nothing once the threshold is cached.
#include <benchmark/benchmark.h>

#include "control/com_interfaces.h"
#include "control/module_state.h"
#include "diag/event_logging.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"

namespace hv {
namespace {

void configuredPlatform(testing::FakePlatform& fake, const char* word) {
  fake.registry.setString(kHkeyLocalMachine, "Software\\Corvantis\\Detector", "logging", word);
}

void BM_LogDebugDropped(benchmark::State& state) {
  testing::FakePlatform fake;
  configuredPlatform(fake, "severe");
  Base base(fake.platform, fake.context);
  const Text line = u"Downloading http://www.corvantis.example/files/document.cvx";
  for (auto _ : state)
    LogDebug(fake.platform, line);
  state.counters["registry opens"] = fake.registry.opens();
}
BENCHMARK(BM_LogDebugDropped);

void BM_LogDebugFirstLineAfterBaseInitialisation(benchmark::State& state) {
  testing::FakePlatform fake;
  configuredPlatform(fake, "severe");
  Base base(fake.platform, fake.context);
  for (auto _ : state) {
    threadModuleState().logLevel = kLogLevelUnread;
    LogDebug(fake.platform, u"Request URL http://www.corvantis.example/a.cvx");
  }
}
BENCHMARK(BM_LogDebugFirstLineAfterBaseInitialisation);

void BM_GetInterfaceSafetyOptions(benchmark::State& state) {
  testing::FakePlatform fake;
  Base base(fake.platform, fake.context);
  ObjectSafety& safety = *queryObjectSafety(base);
  std::uint32_t supported = 0;
  std::uint32_t enabled = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        safety.IObjectSafety_GetInterfaceSafetyOptions(&iid::kIDispatchEx, &supported, &enabled));
  }
}
BENCHMARK(BM_GetInterfaceSafetyOptions);

}  // namespace
}  // namespace hv
