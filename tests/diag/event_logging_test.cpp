#include "diag/event_logging.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>

#include "control/module_state.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"

namespace hv {
namespace {

constexpr const char* kDetectorKey = "Software\\Corvantis\\Detector";

void configureLogging(testing::FakePlatform& fake, const std::string& word) {
  fake.registry.setString(kHkeyLocalMachine, kDetectorKey, "logging", word);
}

struct ThresholdCase {
  const char* name;
  std::optional<std::string> logging;  // nothing: no value under the key
  bool keyExists;
  std::int16_t threshold;
  friend void PrintTo(const ThresholdCase& c, std::ostream* out) { *out << c.name; }
};

class LogThreshold : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(LogThreshold, FollowsTheRegistryOnceABaseHasBeenInitialised) {
  const auto& c = GetParam();
  testing::FakePlatform fake;
  if (c.keyExists)
    fake.registry.addKey(kHkeyLocalMachine, kDetectorKey);
  if (c.logging)
    configureLogging(fake, *c.logging);
  Base base(fake.platform, fake.context);

  for (std::int16_t level = kLogDebug; level <= kLogSevere; ++level) {
    fake.eventLog.entries.clear();
    LogMessage(fake.platform, level, u"line", kEventInformation);
    EXPECT_EQ(fake.eventLog.entries.size(), level >= c.threshold ? 1u : 0u) << "level " << level;
  }
  EXPECT_EQ(GetLogLevel(fake.platform), c.threshold);
}

INSTANTIATE_TEST_SUITE_P(
    RegistryContents, LogThreshold,
    ::testing::Values(ThresholdCase{"debug", "debug", true, kLogDebug},
                      ThresholdCase{"info", "info", true, kLogInfo},
                      ThresholdCase{"severe", "severe", true, kLogSevere},
                      ThresholdCase{"capitalised", "Debug", true, kLogSevere},
                      ThresholdCase{"upperCase", "DEBUG", true, kLogSevere},
                      ThresholdCase{"padded", " debug", true, kLogSevere},
                      ThresholdCase{"empty", "", true, kLogSevere},
                      ThresholdCase{"otherWord", "verbose", true, kLogSevere},
                      ThresholdCase{"missingValue", std::nullopt, true, kLogSevere},
                      ThresholdCase{"missingKey", std::nullopt, false, kLogSevere}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EventLogging, WritesTheMessageUnchangedAsOneInformationEntry) {
  testing::FakePlatform fake;
  configureLogging(fake, "debug");
  Base base(fake.platform, fake.context);
  const Text message = u"Saving to C:\\Temp\\a b%1.cvx \u00e9\u4e2d\r\nsecond";
  LogDebug(fake.platform, message);
  ASSERT_EQ(fake.eventLog.entries.size(), 1u);
  EXPECT_EQ(fake.eventLog.entries[0].type, kEventInformation);
  EXPECT_EQ(fake.eventLog.entries[0].message, message);
}

TEST(EventLogging, BeforeAnyBaseOnAThreadEveryLinePassesWithoutReadingTheRegistry) {
  std::thread([] {
    testing::FakePlatform fake;
    configureLogging(fake, "severe");
    LogDebug(fake.platform, u"first");
    InetDownloader downloader(fake.platform);  // a page hosting the worker alone
    LogDebug(fake.platform, u"second");
    EXPECT_EQ(fake.eventLog.entries.size(), 2u);
    EXPECT_EQ(fake.registry.opens(), 0);
    EXPECT_EQ(threadModuleState().logLevel, 0);
  }).join();
}

TEST(EventLogging, ReadsTheRegistryAtMostOncePerBaseInitialisationAndOnlyWhenALineIsWritten) {
  testing::FakePlatform fake;
  configureLogging(fake, "severe");
  {
    Base base(fake.platform, fake.context);
    EXPECT_EQ(fake.registry.opens(), 0);
  }
  Base base(fake.platform, fake.context);
  for (int i = 0; i < 3; ++i)
    LogDebug(fake.platform, u"dropped");
  EXPECT_EQ(fake.registry.opens(), 1);
  EXPECT_EQ(fake.registry.closes(), 1);
  EXPECT_TRUE(fake.eventLog.entries.empty());
}

TEST(EventLogging, ARegistryChangeTakesEffectAtTheNextBaseOnTheThread) {
  testing::FakePlatform fake;
  configureLogging(fake, "debug");
  Base first(fake.platform, fake.context);
  LogDebug(fake.platform, u"one");

  configureLogging(fake, "severe");
  LogDebug(fake.platform, u"two");
  EXPECT_EQ(fake.eventLog.entries.size(), 2u);

  Base second(fake.platform, fake.context);
  EXPECT_EQ(threadModuleState().logLevel, kLogLevelUnread);
  LogDebug(fake.platform, u"three");
  EXPECT_EQ(fake.eventLog.entries.size(), 2u);
  EXPECT_EQ(fake.registry.opens(), 2);
}

TEST(EventLogging, EachThreadKeepsItsOwnThreshold) {
  testing::FakePlatform fake;
  std::thread([&] {
    configureLogging(fake, "severe");
    Base base(fake.platform, fake.context);
    LogDebug(fake.platform, u"dropped on the first thread");

    std::thread([&] {
      EXPECT_EQ(threadModuleState().logLevel, 0);
      LogDebug(fake.platform, u"written before any Base here");
      configureLogging(fake, "debug");
      Base other(fake.platform, fake.context);
      LogDebug(fake.platform, u"written after reading debug");
    }).join();

    EXPECT_EQ(threadModuleState().logLevel, kLogSevere);
    LogDebug(fake.platform, u"still dropped on the first thread");
  }).join();

  ASSERT_EQ(fake.eventLog.entries.size(), 2u);
  EXPECT_EQ(fake.eventLog.entries[0].message, u"written before any Base here");
  EXPECT_EQ(fake.eventLog.entries[1].message, u"written after reading debug");
}

TEST(EventLogging, AFailingSinkReachesTheWriterAsAScriptError) {
  testing::FakePlatform fake;
  configureLogging(fake, "debug");
  Base base(fake.platform, fake.context);
  fake.eventLog.failing = true;
  try {
    LogDebug(fake.platform, u"line");
    FAIL() << "the failure was swallowed";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.source(), u"EventLog");
    EXPECT_FALSE(e.description().empty());
  }
}

TEST(EventLogging, ADroppedLineNeverTouchesTheSink) {
  testing::FakePlatform fake;
  configureLogging(fake, "info");
  Base base(fake.platform, fake.context);
  fake.eventLog.failing = true;
  EXPECT_NO_THROW(LogDebug(fake.platform, u"below the threshold"));
}

}  // namespace
}  // namespace hv
