#include <gtest/gtest.h>

#include <thread>

#include "control/module_state.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"

namespace hv {
namespace {

TEST(Lifecycle, StartupRoutineSetsBothSafetyFlagsBeforeTheFirstInstance) {
  std::thread([] {
    EXPECT_FALSE(threadModuleState().started);
    testing::FakePlatform fake;
    Base base(fake.platform);
    EXPECT_EQ(threadModuleState().safeForScripting, kScriptTrue);
    EXPECT_EQ(threadModuleState().safeForInitialization, kScriptTrue);
  }).join();
}

}  // namespace
}  // namespace hv
