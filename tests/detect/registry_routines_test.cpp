#include "detect/registry_routines.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_registry.h"
#include "support/scoped_code_page.h"

namespace hv {
namespace {

using testing::FakeRegistry;

constexpr char kKey[] = "Software\\Corvantis\\Detector";

std::vector<std::uint8_t> bytes(std::string_view s) {
  return {s.begin(), s.end()};
}

struct ReadCase {
  const char* name;
  std::function<void(FakeRegistry&)> store;
  TextView keyPath;
  TextView valueName;
  TextView defaultText;
  Text expected;
  AnsiCodePage page = AnsiCodePage::Utf8;  // the code page the platform selected
};

void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

class RegReadStringTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RegReadStringTest, ReadsTheValueAndClosesEveryKeyItOpened) {
  const auto& c = GetParam();
  testing::ScopedCodePage codePage(c.page);
  FakeRegistry registry;
  c.store(registry);
  EXPECT_EQ(RegReadString(registry, kHkeyLocalMachine, c.keyPath, c.valueName, c.defaultText),
            c.expected);
  EXPECT_EQ(registry.opens(), registry.closes());
  EXPECT_EQ(registry.openHandles(), 0u);
}

const ReadCase kReadCases[] = {
    {"StringDropsItsTerminatingNul",
     [](FakeRegistry& r) { r.setString(kHkeyLocalMachine, kKey, "logging", "abc"); },
     u"Software\\Corvantis\\Detector", u"logging", u"dflt", u"abc"},
    {"EmptyStringIsEmptyNotTheDefault",
     [](FakeRegistry& r) { r.setString(kHkeyLocalMachine, kKey, "logging", ""); },
     u"Software\\Corvantis\\Detector", u"logging", u"dflt", u""},
    {"ValueWithoutBytesIsEmpty",
     [](FakeRegistry& r) { r.setValue(kHkeyLocalMachine, kKey, "logging", kRegNone, {}); },
     u"Software\\Corvantis\\Detector", u"logging", u"dflt", u""},
    {"MissingValueGivesTheDefault", [](FakeRegistry& r) { r.addKey(kHkeyLocalMachine, kKey); },
     u"Software\\Corvantis\\Detector", u"logging", u"dflt", u"dflt"},
    {"MissingKeyGivesEmptyTextEvenWithADefault", [](FakeRegistry&) {},
     u"Software\\Corvantis\\Detector", u"logging", u"dflt", u""},
    {"EmptyNameReadsTheDefaultValue",
     [](FakeRegistry& r) {
       r.setString(kHkeyLocalMachine, kKey, "", "default value");
       r.setString(kHkeyLocalMachine, kKey, "logging", "named");
     },
     u"Software\\Corvantis\\Detector", u"", u"dflt", u"default value"},
    {"NumberReadsAsItsFirstThreeBytes",
     [](FakeRegistry& r) {
       r.setValue(kHkeyLocalMachine, kKey, "logging", kRegDword, {0x41, 0x42, 0x43, 0x44});
     },
     u"Software\\Corvantis\\Detector", u"logging", u"", u"ABC"},
    {"TypeIsNeverLookedAtTheLastByteAlwaysGoes",
     [](FakeRegistry& r) {
       r.setValue(kHkeyLocalMachine, kKey, "logging", kRegBinary, bytes("xyz"));
     },
     u"Software\\Corvantis\\Detector", u"logging", u"", u"xy"},
    {"NulInsideAStringIsKept",
     [](FakeRegistry& r) {
       r.setValue(kHkeyLocalMachine, kKey, "logging", kRegSz, bytes(std::string("a\0b\0", 4)));
     },
     u"Software\\Corvantis\\Detector", u"logging", u"", Text(u"a\0b", 3)},
    {"Windows1252BytesBecomeTheirCharacters",
     [](FakeRegistry& r) { r.setString(kHkeyLocalMachine, kKey, "logging", "caf\xe9 \x80"); },
     u"Software\\Corvantis\\Detector", u"logging", u"", u"caf\u00e9 \u20ac",
     AnsiCodePage::Windows1252},
    {"Utf8NamesAndValueReadBackExactly",
     [](FakeRegistry& r) {
       r.setString(kHkeyLocalMachine, "Software\\Caf\xc3\xa9", "Gr\xc3\xbc\xc3\x9f",
                   "\xe2\x82\xac \xce\xa9 \xf0\x9f\x98\x80");
     },
     u"Software\\Caf\u00e9", u"Gr\u00fc\u00df", u"", u"\u20ac \u03a9 \U0001F600"},
    {"BytesThatAreNotUtf8AreKeptEscaped",
     [](FakeRegistry& r) { r.setString(kHkeyLocalMachine, kKey, "logging", "t-\xfc\xc3"); },
     u"Software\\Corvantis\\Detector", u"logging", u"", u"t-\xDCFC\xDCC3"},
    {"KeyAndValueNamesIgnoreCase",
     [](FakeRegistry& r) { r.setString(kHkeyLocalMachine, kKey, "Logging", "debug"); },
     u"SOFTWARE\\corvantis\\DETECTOR", u"LOGGING", u"", u"debug"},
    {"ValueGrownBetweenTheQueriesGivesTheDefault",
     [](FakeRegistry& r) {
       r.setString(kHkeyLocalMachine, kKey, "logging", "abc");
       r.afterSizeQuery = [&r] { r.setString(kHkeyLocalMachine, kKey, "logging", "abcdef"); };
     },
     u"Software\\Corvantis\\Detector", u"logging", u"dflt", u"dflt"},
    {"ValueRemovedBetweenTheQueriesGivesTheDefault",
     [](FakeRegistry& r) {
       r.setString(kHkeyLocalMachine, kKey, "logging", "abc");
       r.afterSizeQuery = [&r] { r.removeValue(kHkeyLocalMachine, kKey, "logging"); };
     },
     u"Software\\Corvantis\\Detector", u"logging", u"dflt", u"dflt"},
    {"ValueShrunkBetweenTheQueriesReadsWhatIsStoredNow",
     [](FakeRegistry& r) {
       r.setString(kHkeyLocalMachine, kKey, "logging", "abcdef");
       r.afterSizeQuery = [&r] { r.setString(kHkeyLocalMachine, kKey, "logging", "ab"); };
     },
     u"Software\\Corvantis\\Detector", u"logging", u"dflt", u"ab"},
    {"OverstatedSizeReadsOnlyTheBytesStored",
     [](FakeRegistry& r) {
       r.setString(kHkeyLocalMachine, kKey, "logging", "abc");
       r.reportedSize = 4096;
     },
     u"Software\\Corvantis\\Detector", u"logging", u"dflt", u"abc"},
};

INSTANTIATE_TEST_SUITE_P(Cases, RegReadStringTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ExistsCase {
  const char* name;
  std::function<void(FakeRegistry&)> store;
  TextView valueName;
  TextView expected;
};

void PrintTo(const ExistsCase& c, std::ostream* os) {
  *os << c.name;
}

class RegValueExistsTest : public ::testing::TestWithParam<ExistsCase> {};

TEST_P(RegValueExistsTest, AnswersTrueOrFalseAndClosesTheKey) {
  const auto& c = GetParam();
  FakeRegistry registry;
  c.store(registry);
  EXPECT_EQ(
      RegValueExists(registry, kHkeyCurrentUser, u"Software\\Corvantis\\Detector", c.valueName),
      c.expected);
  EXPECT_EQ(registry.opens(), registry.closes());
  EXPECT_EQ(registry.openHandles(), 0u);
  EXPECT_EQ(registry.dataQueries(), 0);
}

const ExistsCase kExistsCases[] = {
    {"ValueOfTypeNoneWithoutData",
     [](FakeRegistry& r) { r.setValue(kHkeyCurrentUser, kKey, "flag", kRegNone, {}); }, u"flag",
     u"True"},
    {"NumberValue",
     [](FakeRegistry& r) {
       r.setValue(kHkeyCurrentUser, kKey, "flag", kRegDword, {1, 0, 0, 0});
     },
     u"FLAG", u"True"},
    {"DefaultValue", [](FakeRegistry& r) { r.setString(kHkeyCurrentUser, kKey, "", "x"); }, u"",
     u"True"},
    {"KeyWithoutItsDefaultValue", [](FakeRegistry& r) { r.addKey(kHkeyCurrentUser, kKey); }, u"",
     u"False"},
    {"MissingValue", [](FakeRegistry& r) { r.setString(kHkeyCurrentUser, kKey, "other", "x"); },
     u"flag", u"False"},
    {"MissingKey", [](FakeRegistry&) {}, u"flag", u"False"},
    {"SameValueUnderAnotherRoot",
     [](FakeRegistry& r) { r.setString(kHkeyLocalMachine, kKey, "flag", "x"); }, u"flag", u"False"},
};

INSTANTIATE_TEST_SUITE_P(Cases, RegValueExistsTest, ::testing::ValuesIn(kExistsCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
