#include "control/control_object.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "control/com_interfaces.h"
#include "control/library_classes.h"
#include "control/module_state.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"
#include "runtime/script_error.h"

namespace hv {
namespace {

class RecordingSink : public EventSink {
 public:
  void onEvent(DispId id, std::span<Variant> args) override {
    ids.push_back(id);
    if (assignFirst)
      args[0] = Variant(std::int32_t{12345});
    if (fail)
      throw ScriptError(11, u"page", u"Division by zero");
  }
  std::vector<DispId> ids;
  bool assignFirst = false;
  bool fail = false;
};

// Lets a test raise a control's events as the control itself would.
class EventRaiser : public InetDownloader {
 public:
  using InetDownloader::InetDownloader;
  void raise(DispId id, std::span<Variant> args) { raiseEvent(id, args); }
};

TEST(InterfaceLookup, EveryIdentifierOfBasesDefaultInterfaceAnswersTheSameInterface) {
  testing::FakePlatform fake;
  Base base(fake.platform, fake.context);
  for (const char* id :
       {"{1715DE97-579C-46D9-8AF9-D4A0B934CD30}", "{980B1BB5-F017-4422-B432-8D99720B1515}",
        "{3D2E1BFB-007C-44DF-AE43-ED11084A918B}"}) {
    EXPECT_EQ(base.queryInterface(*Guid::parse(id)), InterfaceKind::Dispatch) << id;
  }
  EXPECT_EQ(base.queryInterface(iid::kIDispatch), InterfaceKind::Dispatch);
  EXPECT_EQ(base.queryInterface(iid::kIUnknown), InterfaceKind::Unknown);
  EXPECT_EQ(base.queryInterface(iid::kIObjectSafety), InterfaceKind::ObjectSafety);
  EXPECT_EQ(base.queryInterface(iid::kIPersistPropertyBag), InterfaceKind::Embedding);
  EXPECT_EQ(base.queryInterface(iid::kIDispatchEx), InterfaceKind::None);
}

TEST(InterfaceLookup, InetDownloaderAnswersOnlyItsOwnIdentifiersAndNoSafety) {
  testing::FakePlatform fake;
  InetDownloader downloader(fake.platform);
  EXPECT_EQ(downloader.queryInterface(*Guid::parse("{F0E50D80-3E60-4D75-8304-5E7117095C46}")),
            InterfaceKind::Dispatch);
  EXPECT_EQ(downloader.queryInterface(*Guid::parse("{1715DE97-579C-46D9-8AF9-D4A0B934CD30}")),
            InterfaceKind::None);
  EXPECT_EQ(downloader.queryInterface(iid::kIObjectSafety), InterfaceKind::None);
  EXPECT_EQ(downloader.findConnectionPoint(*Guid::parse("{A28959C2-D3C3-4521-A79A-17712D8DAB48}")),
            nullptr);
}

TEST(ConnectionPoints, BaseAcceptsSinksUnderEveryEventIdentifier) {
  testing::FakePlatform fake;
  Base base(fake.platform, fake.context);
  for (const char* id :
       {"{A28959C2-D3C3-4521-A79A-17712D8DAB48}", "{1FC3E967-0ACC-40EE-8196-A2A6D47EC838}",
        "{98ADCF13-210F-429D-B39D-30FBF67FB57C}"}) {
    ConnectionPoint* point = base.findConnectionPoint(*Guid::parse(id));
    ASSERT_NE(point, nullptr) << id;
    point->advise(std::make_shared<RecordingSink>());
  }
  EXPECT_EQ(
      base.findConnectionPoint(*Guid::parse("{A28959C2-D3C3-4521-A79A-17712D8DAB48}"))->sinkCount(),
      3u);
}

TEST(ConnectionPoints, EventsReachEverySinkAndByReferenceParametersComeBack) {
  testing::FakePlatform fake;
  EventRaiser raiser(fake.platform);
  ConnectionPoint* point =
      raiser.findConnectionPoint(inetDownloaderClass().eventInterface.current.iid);
  auto first = std::make_shared<RecordingSink>();
  auto second = std::make_shared<RecordingSink>();
  second->assignFirst = true;
  point->advise(first);
  const auto cookie = point->advise(second);
  std::vector<Variant> args{Variant(std::int32_t{4096}), Variant(std::int32_t{5904})};
  raiser.raise(1, args);
  EXPECT_EQ(first->ids, std::vector<DispId>{1});
  EXPECT_EQ(second->ids, std::vector<DispId>{1});
  EXPECT_EQ(args[0], Variant(std::int32_t{12345}));

  point->unadvise(cookie);
  raiser.raise(2, {});
  EXPECT_EQ(second->ids.size(), 1u);
}

TEST(ConnectionPoints, ASinksFailureReachesTheRaiser) {
  testing::FakePlatform fake;
  EventRaiser raiser(fake.platform);
  auto sink = std::make_shared<RecordingSink>();
  sink->fail = true;
  raiser.findConnectionPoint(inetDownloaderClass().eventInterface.current.iid)->advise(sink);
  try {
    raiser.raise(2, {});
    FAIL() << "the sink's failure was swallowed";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), 11);
    EXPECT_EQ(e.description(), u"Division by zero");
  }
}

TEST(ModuleState, EachThreadHasItsOwnCopy) {
  ThreadModuleState seenByOther;
  threadModuleState().logLevel = 3;
  std::thread([&] {
    testing::FakePlatform fake;
    seenByOther = threadModuleState();
    EXPECT_EQ(threadModuleState().logLevel, 0);
    Base base(fake.platform, fake.context);
    EXPECT_EQ(threadModuleState().logLevel, -1);
  }).join();
  EXPECT_FALSE(seenByOther.started);
  EXPECT_EQ(threadModuleState().logLevel, 3);
}

TEST(ModuleState, StartupRoutineRunsOncePerThreadBeforeTheFirstInstance) {
  std::thread([] {
    EXPECT_FALSE(threadModuleState().started);
    EXPECT_EQ(threadModuleState().safeForScripting, kScriptFalse);
    testing::FakePlatform fake;
    InetDownloader first(fake.platform);
    EXPECT_EQ(threadModuleState().safeForScripting, kScriptTrue);
    EXPECT_EQ(threadModuleState().safeForInitialization, kScriptTrue);
    threadModuleState().safeForScripting = kScriptFalse;
    InetDownloader second(fake.platform);
    EXPECT_EQ(threadModuleState().safeForScripting, kScriptFalse);  // not run again
  }).join();
}

TEST(ModuleState, ModuleCanUnloadOnceNoInstanceAndNoLockRemains) {
  ASSERT_TRUE(module_lifetime::canUnloadNow());
  {
    testing::FakePlatform fake;
    auto base = std::make_unique<Base>(fake.platform, fake.context);
    EXPECT_FALSE(module_lifetime::canUnloadNow());
    module_lifetime::lock();
    base.reset();
    EXPECT_FALSE(module_lifetime::canUnloadNow());
    module_lifetime::unlock();
  }
  EXPECT_TRUE(module_lifetime::canUnloadNow());
}

TEST(ModuleState, AHeldClassFactoryKeepsTheModuleLoaded) {
  ASSERT_TRUE(module_lifetime::canUnloadNow());
  module_lifetime::factoryHeld();
  EXPECT_FALSE(module_lifetime::canUnloadNow());
  module_lifetime::factoryReleased();
  EXPECT_TRUE(module_lifetime::canUnloadNow());
}

TEST(ModuleState, UnlocksWithoutLocksCannotCancelALaterLock) {
  ASSERT_TRUE(module_lifetime::canUnloadNow());
  module_lifetime::unlock();
  module_lifetime::unlock();
  EXPECT_TRUE(module_lifetime::canUnloadNow());
  module_lifetime::lock();
  EXPECT_FALSE(module_lifetime::canUnloadNow()) << "a lock after stray unlocks still holds";
  module_lifetime::unlock();
  EXPECT_TRUE(module_lifetime::canUnloadNow());
}

TEST(Creation, BaseCreatesItsIdleDownloaderBeforeItsInitialisation) {
  testing::FakePlatform fake;
  threadModuleState().logLevel = 2;
  Base base(fake.platform, fake.context);
  ASSERT_EQ(base.inetDownloaders().size(), 1u);
  EXPECT_EQ(threadModuleState().logLevel, -1);
}

}  // namespace
}  // namespace hv
