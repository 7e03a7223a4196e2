#include "runtime/text_encoding.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

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

TEST(TextEncoding, AnsiIsWindows1252) {
  EXPECT_EQ(toAnsi(u"A\u00e9\u20ac\u2122\u0178"), "A\xE9\x80\x99\x9F");
  EXPECT_EQ(fromAnsi("A\xE9\x80\x99\x9F"), u"A\u00e9\u20ac\u2122\u0178");
}

TEST(TextEncoding, CharactersTheCodePageLacksBecomeQuestionMarks) {
  EXPECT_EQ(toAnsi(u"\u0100x\u4E2D"), "?x?");
  EXPECT_EQ(toAnsi(u"\U0001F600"), "?");  // one character, one mark
}

TEST(TextEncoding, EveryAnsiByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all += static_cast<char>(b);
  EXPECT_EQ(toAnsi(fromAnsi(all)), all);
}

}  // namespace
}  // namespace hv
