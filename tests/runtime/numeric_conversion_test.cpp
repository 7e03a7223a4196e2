#include "runtime/numeric_conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/script_error.h"
#include "support/errors.h"

namespace hv {
namespace {

using testing::errorNumberOf;

TEST(NumericConversion, RoundsHalfToEven) {
  const std::pair<double, double> cases[] = {{40.96, 41}, {12.5, 12},  {13.5, 14}, {-2.5, -2},
                                             {-3.5, -4},  {0.5, 0},    {1.5, 2},   {2.4999, 2},
                                             {-0.4, 0},   {100.0, 100}};
  for (const auto& [in, out] : cases)
    EXPECT_EQ(roundHalfEven(in), out) << in;
}

TEST(NumericConversion, IntegerTargetsOverflowOutsideTheirRange) {
  EXPECT_EQ(toInt16(32767.4), 32767);
  EXPECT_EQ(toInt16(-32768.5), -32768);  // halfway to even stays in range
  EXPECT_EQ(errorNumberOf([] { toInt16(32767.5); }), 6);
  EXPECT_EQ(errorNumberOf([] { toInt16(-32769); }), 6);
  EXPECT_EQ(toInt32(2147483647.0), 2147483647);
  EXPECT_EQ(errorNumberOf([] { toInt32(2147483648.0); }), 6);
  EXPECT_EQ(errorNumberOf([] { toInt32(std::nan("")); }), 6);
  EXPECT_EQ(errorNumberOf([] { toSingle(1e300); }), 6);
}

TEST(NumericConversion, TextToInt32) {
  const std::pair<Text, std::int32_t> ok[] = {{u"0", 0},
                                              {u"4096", 4096},
                                              {u"  17 ", 17},
                                              {u"+5", 5},
                                              {u"-12", -12},
                                              {u"12.5", 12},
                                              {u"13.5", 14},
                                              {u"1e3", 1000},
                                              {u"\t7\t", 7},
                                              {u".5", 0},
                                              {u"2147483647", 2147483647}};
  for (const auto& [text, value] : ok) {
    EXPECT_EQ(textToInt32(text), value) << std::string(text.begin(), text.end());
  }
  const std::pair<Text, int> bad[] = {{u"", 13},          {u"   ", 13},        {u"abc", 13},
                                      {u"12abc", 13},     {u"1 2", 13},        {u"0x10", 13},
                                      {u"+", 13},         {u"1e", 13},         {u"nan", 13},
                                      {u"3000000000", 6}, {u"-2147483649", 6}, {u"1e999", 6}};
  for (const auto& c : bad) {
    EXPECT_EQ(errorNumberOf([&] { textToInt32(c.first); }), c.second)
        << std::string(c.first.begin(), c.first.end());
  }
  EXPECT_EQ(textToInt32(u"1e-999"), 0);
}

TEST(NumericConversion, NumbersToText) {
  EXPECT_EQ(numberToText(std::int32_t{-20000015}), u"-20000015");
  EXPECT_EQ(numberToText(2.5), u"2.5");
  EXPECT_EQ(numberToText(63921449486000.0), u"63921449486000");
  EXPECT_EQ(numberToText(1e15), u"1E+15");
  EXPECT_EQ(numberToText(0.1f), u"0.1");
  EXPECT_EQ(numberToText(0.0), u"0");
}

}  // namespace
}  // namespace hv
