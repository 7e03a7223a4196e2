#include "orchestrate/safety_negotiation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "control/module_state.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"

namespace hv {
namespace {

using ::testing::HasSubstr;

std::string refusalOf(ControlObject& control) {
  try {
    negotiateSafety(control);
  } catch (const UnsafeControl& e) {
    return e.what();
  }
  return "";
}

TEST(SafetyNegotiation, BaseAgreesAndKeepsItsAnswers) {
  testing::FakePlatform fake;
  Base base(fake.platform, fake.context);
  EXPECT_NO_THROW(negotiateSafety(base));
  EXPECT_NO_THROW(negotiateSafety(base));

  std::ostringstream out;
  printSafetyAnswers(out, base);
  EXPECT_EQ(out.str(),
            "  object safety (GetInterfaceSafetyOptions):\n"
            "    IDispatch            {00020400-0000-0000-C000-000000000046}  S_OK, supported 3, "
            "enabled 1\n"
            "    IPersistStorage      {0000010A-0000-0000-C000-000000000046}  S_OK, supported 3, "
            "enabled 2\n"
            "    IPersistStream       {00000109-0000-0000-C000-000000000046}  S_OK, supported 3, "
            "enabled 2\n"
            "    IPersistPropertyBag  {37D84F60-42CB-11CE-8135-00AA004BB851}  S_OK, supported 3, "
            "enabled 2\n"
            "    IDispatchEx          {A6EF9860-C720-11D0-9337-00A0C90DCAA9}  S_OK, supported 3, "
            "enabled 2\n");
}

TEST(SafetyNegotiation, RefusesAControlWithoutTheSafetyInterface) {
  testing::FakePlatform fake;
  InetDownloader downloader(fake.platform);
  EXPECT_THAT(refusalOf(downloader),
              HasSubstr("HVDetector.InetDownloader does not implement IObjectSafety"));

  std::ostringstream out;
  printSafetyAnswers(out, downloader);
  EXPECT_THAT(out.str(), HasSubstr("no IObjectSafety"));
}

TEST(SafetyNegotiation, RefusesAControlThatDeclinesEitherUse) {
  std::thread([] {
    testing::FakePlatform fake;
    Base base(fake.platform, fake.context);
    auto& state = threadModuleState();

    state.safeForInitialization = kScriptFalse;
    EXPECT_THAT(refusalOf(base), HasSubstr("HVDetector.Base is not safe for untrusted data "
                                           "(IObjectSafety on IPersistPropertyBag answered "
                                           "E_FAIL); refusing to script it"));

    state.safeForScripting = kScriptFalse;
    EXPECT_THAT(refusalOf(base), HasSubstr("not safe for untrusted callers (IObjectSafety on "
                                           "IDispatch answered E_FAIL)"));
  }).join();
}

}  // namespace
}  // namespace hv
