#include "download/download_naming.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_clock.h"
#include "fakes/fake_temp_folder.h"
#include "posix/posix_local_machine.h"
#include "runtime/script_error.h"
#include "support/scoped_code_page.h"

namespace hv {
namespace {

constexpr int kNoError = 0;

template <typename Call>
int errorNumberOf(Call call) {
  try {
    call();
  } catch (const ScriptError& e) {
    return e.number();
  }
  return kNoError;
}

std::string narrow(TextView text) {
  return std::string(text.begin(), text.end());
}

TEST(FileNameFromUrl, TakesTheTextBetweenTheLastSlashAndTheLastQuestionMark) {
  struct Case {
    Text url;
    Text name;
  };
  const Case cases[] = {
      {u"http://h.example/dir/file.cvx", u"file.cvx"},
      {u"http://h.example/dir/file.cvx?a=1&b=2", u"file.cvx"},
      {u"http://h.example/dir/", u""},
      {u"http://h.example/dir/?a=1", u""},
      {u"http://h.example/a.cvx?x=1?y=2", u"a.cvx?x=1"},
      {u"a://host", u"host"},
      {u"http://h.example/f%20g+h.cvx#frag", u"f%20g+h.cvx#frag"},
      {u"http://h.example/..", u".."},
      {u"/", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.url));
    EXPECT_EQ(getFileNameFromURL(c.url), c.name);
  }
}

TEST(FileNameFromUrl, FailuresCarryTheRuntimesNumbers) {
  struct Case {
    Text url;
    int error;
  };
  const Case cases[] = {
      {u"", -200000},
      {u"no-slash-at-all?x", -200000},
      {u"http://h.example/get?f=/x/y.cvx", 5},
      {u"?/", 5},
      {u"http://h.example/" + Text(32766 - 17, u'a'), kNoError},
      {u"http://h.example/" + Text(32766 - 16, u'a'), 6},
      {u"http://h.example/" + Text(40000, u'a') + u"?q", 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.url.substr(0, 40)) + " length " + std::to_string(c.url.size()));
    EXPECT_EQ(errorNumberOf([&] { getFileNameFromURL(c.url); }), c.error);
  }
  try {
    getFileNameFromURL(u"abc");
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.description(), u"Malformed URL");
    EXPECT_TRUE(e.source().empty());
  }
}

TEST(FileNameParts, SplitsAtTheLastDot) {
  struct Case {
    Text name;
    Text base;
    Text extension;
  };
  const Case cases[] = {
      {u"file.cvx", u"file", u"cvx"},
      {u"archive.tar.cvt", u"archive.tar", u"cvt"},
      {u".cvx", u"", u"cvx"},
      {u"file.", u"file", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.name));
    const Variant parts = getFileNameParts(c.name);
    ASSERT_EQ(parts.type(), VarType::Array);
    EXPECT_EQ(parts.array(), (Variant::Array{Variant(c.base), Variant(c.extension)}));
  }
}

TEST(FileNameParts, WithoutADotIsAnInvalidArgument) {
  for (const Text& name : {Text(u"file"), Text()})
    EXPECT_EQ(errorNumberOf([&] { getFileNameParts(name); }), 5);
  EXPECT_EQ(errorNumberOf([] { getFileNameParts(Text(40000, u'a') + u".cvx"); }), 6);
}

TEST(TimeStamp, CountsPseudoMillisecondsOnA365DayCalendar) {
  testing::FakeClock clock;
  EXPECT_EQ(GetTimeStampMillis(clock), 63921449486000.0);
  EXPECT_EQ(timeStampedFileName(u"report", GetTimeStampMillis(clock), u"cvx"),
            u"report63921449486000.cvx");

  // Common year: the last second of the year is 1000 below the first of the next.
  clock.now = {2025, 12, 31, 365, 23, 59, 59};
  const double lastOfCommonYear = GetTimeStampMillis(clock);
  clock.now = {2026, 1, 1, 1, 0, 0, 0};
  EXPECT_EQ(GetTimeStampMillis(clock) - lastOfCommonYear, 1000.0);

  // Leap year: its day 366 and 1 January of the next year fall on the same stamp.
  clock.now = {2028, 12, 31, 366, 9, 30, 0};
  const double leapDay366 = GetTimeStampMillis(clock);
  clock.now = {2029, 1, 1, 1, 9, 30, 0};
  EXPECT_EQ(GetTimeStampMillis(clock), leapDay366);
}

TEST(TimeStamp, TextIsPlainDigitsWithoutFractionOrExponent) {
  EXPECT_EQ(timeStampText(63921449486000.0), u"63921449486000");
  EXPECT_EQ(timeStampText(63921449487000.0 + 1000 * 1000), u"63921450487000");
  EXPECT_EQ(timeStampText(0.0), u"0");
  EXPECT_EQ(timeStampText(1e20), u"100000000000000000000");
}

TEST(TempFolder, ComesFromThePortEndingInItsSeparator) {
  testing::FakeTempFolder temp;
  temp.path = "/var/tmp/";
  EXPECT_EQ(GetTempFolder(temp), u"/var/tmp/");
  temp.path = std::string("C:\\Temp\\\0junk", 12);
  EXPECT_EQ(GetTempFolder(temp), u"C:\\Temp\\");
  temp.path.reset();
  EXPECT_EQ(GetTempFolder(temp), u"");

  PosixTempFolder real;
  EXPECT_TRUE(GetTempFolder(real).ends_with(u'/'));
}

// Read through the platform's code page; a byte UTF-8 cannot place is kept for the way out.
TEST(TempFolder, ReadsThroughTheSelectedCodePage) {
  struct Case {
    AnsiCodePage page;
    const char* path;
    Text folder;
  };
  const Case cases[] = {
      {AnsiCodePage::Windows1252, "C:\\caf\xe9\\", u"C:\\caf\u00e9\\"},
      {AnsiCodePage::Utf8, "/tmp/t-\xc3\xbc/", u"/tmp/t-\u00fc/"},
      {AnsiCodePage::Utf8, "/tmp/caf\xe9/", u"/tmp/caf\xDCE9/"},
  };
  testing::FakeTempFolder temp;
  for (const auto& c : cases) {
    testing::ScopedCodePage codePage(c.page);
    temp.path = c.path;
    EXPECT_EQ(GetTempFolder(temp), c.folder) << c.path;
  }
}

TEST(PlainFileName, RefusesAnythingThatCouldLeaveTheFolderOrNameADevice) {
  const Text accepted[] = {
      u"report63921449486000.cvx",
      u"63921449486000.",
      u"a b.cvx",
      u"caf\u00e9.cvx",
      u"...cvx",
      u"f%2e%2e.cvx",
      u"CONSOLE.cvx",
  };
  for (const Text& name : accepted) {
    SCOPED_TRACE(narrow(name));
    EXPECT_EQ(errorNumberOf([&] { requirePlainFileName(name); }), kNoError);
  }
  const Text refused[] = {
      u"",        u".",        u"..",    u"../x.cvx", u"..\\x.cvx",     u"/etc/x.cvx",
      u"C:x",     u"a:stream", u"*.cvx", u"a?.cvx",   u"a\".cvx",       u"a<b",
      u"a>b",     u"a|b",      u"a\tb",  u"a\nb",     Text(u"a\0b", 3), u"CON",
      u"nul.txt", u"COM1.cvx", u"lpt9",  u"aux .x.y",
  };
  for (const Text& name : refused) {
    SCOPED_TRACE(narrow(name));
    EXPECT_EQ(errorNumberOf([&] { requirePlainFileName(name); }), 52);
  }
}

}  // namespace
}  // namespace hv
