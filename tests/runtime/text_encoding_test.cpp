#include "runtime/text_encoding.h"

#include <gtest/gtest.h>

#include "support/scoped_code_page.h"

namespace hv {
namespace {

using Page = AnsiCodePage;

std::string everyByte() {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all += static_cast<char>(b);
  return all;
}

TEST(TextEncoding, Utf8RoundTripsEveryPlane) {
  const Text text = u"abc \u00e9\u20ac \U0001F600 end";
  EXPECT_EQ(fromUtf8(toUtf8(text)), text);
  EXPECT_EQ(toUtf8(u"\u20ac"), "\xE2\x82\xAC");
}

TEST(TextEncoding, IllFormedInputBecomesReplacementCharacters) {
  struct Case {
    std::string utf8;
    Text text;
  };
  const Case cases[] = {
      {"\xC3", u"\uFFFD"},              // truncated sequence
      {"\x80z", u"\uFFFDz"},            // stray continuation byte
      {"\xC0\xAF", u"\uFFFD"},          // overlong "/"
      {"\xED\xA0\x80", u"\uFFFD"},      // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD"},  // beyond U+10FFFF
  };
  for (const auto& c : cases)
    EXPECT_EQ(fromUtf8(c.utf8), c.text) << c.utf8;
  EXPECT_EQ(toUtf8(Text(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

// Both directions, except rows written only (text -> bytes): the bytes read back as other text.
struct CodePageCase {
  const char* name;
  Page page;
  std::string ansi;
  Text text;
  bool writtenOnly = false;
};

const CodePageCase kCodePageCases[] = {
    {"1252 letters and the 0x80 block", Page::Windows1252, "A\xE9\x80\x99\x9F",
     u"A\u00e9\u20ac\u2122\u0178"},
    {"1252 holes are C1 controls", Page::Windows1252, "\x81\x8D\x8F\x90\x9D",
     u"\u0081\u008d\u008f\u0090\u009d"},
    {"1252 lacks other letters", Page::Windows1252, "?x?", u"\u0100x\u4E2D", true},
    {"1252 one mark for a pair", Page::Windows1252, "?", u"\U0001F600", true},
    {"utf8 every plane", Page::Utf8, "a\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80",
     u"a\u00fc\u20ac\U0001F600"},
    {"utf8 a stray byte is escaped", Page::Utf8, "t-\xFC", u"t-\xDCFC"},
    {"utf8 a truncated sequence escapes each byte", Page::Utf8, "\xE2\x82z", u"\xDCE2\xDC82z"},
    {"utf8 a sequence split before its end", Page::Utf8, "\xF0\x9F\x98", u"\xDCF0\xDC9F\xDC98"},
    {"utf8 an overlong form is escaped", Page::Utf8, "\xC0\xAF", u"\xDCC0\xDCAF"},
    {"utf8 an encoded surrogate is escaped", Page::Utf8, "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},
    {"utf8 beyond U+10FFFF is escaped", Page::Utf8, "\xF4\x90\x80\x80",
     u"\xDCF4\xDC90\xDC80\xDC80"},
    {"utf8 a broken lead does not swallow the next character", Page::Utf8, "\xC3\xC3\xA9",
     u"\xDCC3\u00e9"},
    {"utf8 escapes written back join into a character", Page::Utf8, "\xC3\xA9", u"\xDCC3\xDCA9",
     true},
    {"utf8 a lone surrogate that is no escape", Page::Utf8, "\xEF\xBF\xBD\xEF\xBF\xBD",
     u"\xDC7F\xD800", true},
};

TEST(TextEncoding, CodePageTable) {
  for (const auto& c : kCodePageCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(toAnsi(c.text, c.page), c.ansi);
    if (!c.writtenOnly) {
      EXPECT_EQ(fromAnsi(c.ansi, c.page), c.text);
    }
  }
}

TEST(TextEncoding, EveryByteStringRoundTripsInEitherCodePage) {
  std::string mixed = everyByte();
  mixed += "caf\xC3\xA9 \xF0\x9F\x98\x80 \xED\xBF\xBF \xF8\x88\x80\x80\x80";
  for (const Page page : {Page::Windows1252, Page::Utf8}) {
    EXPECT_EQ(toAnsi(fromAnsi(mixed, page), page), mixed);
    // A stream cut anywhere, each piece converted on its own, still gives the same bytes.
    for (std::size_t cut = 0; cut <= mixed.size(); cut += 7) {
      const std::string_view whole(mixed);
      EXPECT_EQ(toAnsi(fromAnsi(whole.substr(0, cut), page), page) +
                    toAnsi(fromAnsi(whole.substr(cut), page), page),
                mixed);
    }
  }
}

TEST(TextEncoding, TheUnnamedFormsFollowTheSelectedCodePage) {
  {
    testing::ScopedCodePage windows(Page::Windows1252);
    EXPECT_EQ(toAnsi(u"\u00fc"), "\xFC");
    EXPECT_EQ(fromAnsi("\xFC"), u"\u00fc");
  }
  testing::ScopedCodePage posix(Page::Utf8);
  EXPECT_EQ(toAnsi(u"\u00fc"), "\xC3\xBC");
  EXPECT_EQ(fromAnsi("\xFC"), u"\xDCFC");
}

}  // namespace
}  // namespace hv
