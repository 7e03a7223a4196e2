#include "control/object_safety.h"

#include <gtest/gtest.h>

#include <thread>

#include "control/com_interfaces.h"
#include "control/module_state.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"

namespace hv {
namespace {

constexpr std::uint32_t kUntouched = 0xDEADBEEF;

// An identifier one bit away from IDispatch: only the exact identifier may be recognised.
constexpr Guid kNearIDispatch = Guid::of("{00020400-0000-0000-C000-000000000047}");

class ObjectSafetyTest : public ::testing::Test {
 protected:
  testing::FakePlatform fake;
  Base base{fake.platform, fake.context};
  ObjectSafety& safety = *queryObjectSafety(base);
};

struct GetCase {
  const char* name;
  const Guid* riid;
  HResult result;
  std::uint32_t enabled;
  friend void PrintTo(const GetCase& c, std::ostream* out) { *out << c.name; }
};

class GetOptions : public ObjectSafetyTest, public ::testing::WithParamInterface<GetCase> {};

TEST_P(GetOptions, WritesTheSupportedWordFirstAndTheEnabledWordOnlyForAKnownInterface) {
  const auto& c = GetParam();
  std::uint32_t supported = kUntouched;
  std::uint32_t enabled = kUntouched;
  EXPECT_EQ(safety.IObjectSafety_GetInterfaceSafetyOptions(c.riid, &supported, &enabled), c.result);
  EXPECT_EQ(supported, 3u);
  EXPECT_EQ(enabled, c.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Identifiers, GetOptions,
    ::testing::Values(GetCase{"IDispatch", &iid::kIDispatch, kSOk, 1},
                      GetCase{"IPersistStorage", &iid::kIPersistStorage, kSOk, 2},
                      GetCase{"IPersistStream", &iid::kIPersistStream, kSOk, 2},
                      GetCase{"IPersistPropertyBag", &iid::kIPersistPropertyBag, kSOk, 2},
                      GetCase{"IDispatchExAnswersTheDataOption", &iid::kIDispatchEx, kSOk, 2},
                      GetCase{"IUnknown", &iid::kIUnknown, kENoInterface, kUntouched},
                      GetCase{"IPersistStreamInit", &iid::kIPersistStreamInit, kENoInterface,
                              kUntouched},
                      GetCase{"IObjectSafety", &iid::kIObjectSafety, kENoInterface, kUntouched},
                      GetCase{"NearIDispatch", &kNearIDispatch, kENoInterface, kUntouched},
                      GetCase{"NullIdentifier", nullptr, kSOk, kUntouched}),
    [](const auto& info) { return std::string(info.param.name); });

struct SetCase {
  const char* name;
  const Guid* riid;
  std::uint32_t mask;
  std::uint32_t enabled;
  HResult result;
  friend void PrintTo(const SetCase& c, std::ostream* out) { *out << c.name; }
};

class SetOptions : public ObjectSafetyTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetOptions, AcceptsExactlyTheOneOptionOfTheInterfaceAndRecordsNothing) {
  const auto& c = GetParam();
  EXPECT_EQ(safety.IObjectSafety_SetInterfaceSafetyOptions(c.riid, c.mask, c.enabled), c.result);

  std::uint32_t supported = 0;
  std::uint32_t enabled = kUntouched;
  EXPECT_EQ(safety.IObjectSafety_GetInterfaceSafetyOptions(&iid::kIDispatch, &supported, &enabled),
            kSOk);
  EXPECT_EQ(enabled, 1u);
  EXPECT_EQ(safety.IObjectSafety_GetInterfaceSafetyOptions(&iid::kIPersistPropertyBag, &supported,
                                                           &enabled),
            kSOk);
  EXPECT_EQ(enabled, 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, SetOptions,
    ::testing::Values(SetCase{"DispatchCaller", &iid::kIDispatch, 1, 1, kSOk},
                      SetCase{"DispatchWiderMask", &iid::kIDispatch, 3, 1, kSOk},
                      SetCase{"DispatchEveryMaskBit", &iid::kIDispatch, 0xFFFFFFFF, 1, kSOk},
                      SetCase{"DispatchBothOptions", &iid::kIDispatch, 3, 3, kEFail},
                      SetCase{"DispatchClearRequest", &iid::kIDispatch, 1, 0, kEFail},
                      SetCase{"DispatchDataOption", &iid::kIDispatch, 2, 2, kEFail},
                      SetCase{"PropertyBagData", &iid::kIPersistPropertyBag, 2, 2, kSOk},
                      SetCase{"PropertyBagWiderMask", &iid::kIPersistPropertyBag, 3, 2, kSOk},
                      SetCase{"PropertyBagBothOptions", &iid::kIPersistPropertyBag, 3, 3, kEFail},
                      SetCase{"PropertyBagCallerOption", &iid::kIPersistPropertyBag, 1, 1, kEFail},
                      SetCase{"StorageData", &iid::kIPersistStorage, 2, 2, kSOk},
                      SetCase{"StreamData", &iid::kIPersistStream, 2, 2, kSOk},
                      SetCase{"DispatchExData", &iid::kIDispatchEx, 2, 2, kENoInterface},
                      SetCase{"DispatchExCaller", &iid::kIDispatchEx, 1, 1, kENoInterface},
                      SetCase{"IUnknown", &iid::kIUnknown, 1, 1, kENoInterface},
                      SetCase{"NullIdentifier", nullptr, 3, 3, kSOk}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ObjectSafetyTest, NullOutputAddressesAreRefusedWithoutWritingEither) {
  std::uint32_t word = kUntouched;
  EXPECT_EQ(safety.IObjectSafety_GetInterfaceSafetyOptions(&iid::kIDispatch, nullptr, &word),
            kEPointer);
  EXPECT_EQ(safety.IObjectSafety_GetInterfaceSafetyOptions(&iid::kIDispatch, &word, nullptr),
            kEPointer);
  EXPECT_EQ(safety.IObjectSafety_GetInterfaceSafetyOptions(nullptr, &word, nullptr), kEPointer);
  EXPECT_EQ(word, kUntouched);
}

TEST(ObjectSafety, AnswersFollowTheThreadFlagsNotTheRequests) {
  std::thread([] {
    testing::FakePlatform fake;
    Base base(fake.platform, fake.context);
    ObjectSafety& safety = *queryObjectSafety(base);
    threadModuleState().safeForScripting = kScriptFalse;
    threadModuleState().safeForInitialization = kScriptFalse;

    for (const Guid* riid : {&iid::kIDispatch, &iid::kIPersistStream, &iid::kIDispatchEx}) {
      std::uint32_t supported = 0;
      std::uint32_t enabled = kUntouched;
      EXPECT_EQ(safety.IObjectSafety_GetInterfaceSafetyOptions(riid, &supported, &enabled), kSOk);
      EXPECT_EQ(supported, 3u);
      EXPECT_EQ(enabled, 0u) << riid->toString();
    }
    EXPECT_EQ(safety.IObjectSafety_SetInterfaceSafetyOptions(&iid::kIDispatch, 1, 1), kEFail);
    EXPECT_EQ(safety.IObjectSafety_SetInterfaceSafetyOptions(&iid::kIPersistStorage, 2, 2), kEFail);
  }).join();
}

TEST(ObjectSafety, OnlyBaseOffersTheInterface) {
  testing::FakePlatform fake;
  Base base(fake.platform, fake.context);
  InetDownloader downloader(fake.platform);
  EXPECT_EQ(queryObjectSafety(base), static_cast<ObjectSafety*>(&base));
  EXPECT_EQ(queryObjectSafety(downloader), nullptr);
}

}  // namespace
}  // namespace hv
