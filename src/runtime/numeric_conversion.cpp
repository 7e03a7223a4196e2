#include "runtime/numeric_conversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

template <typename Int>
Int toInteger(double value) {
  const double rounded = roundHalfEven(value);
  if (!(rounded >= std::numeric_limits<Int>::min() && rounded <= std::numeric_limits<Int>::max())) {
    throw runtimeError(runtime_error::kOverflow);
  }
  return static_cast<Int>(rounded);
}

bool isBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}
bool isDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Accepts [sign] digits [. digits] [e|E [sign] digits] with at least one mantissa digit and
// returns it as ASCII; returns the empty string for anything else.
std::string numberShape(TextView text) {
  std::size_t i = 0;
  std::string ascii;
  const auto take = [&](auto predicate) {
    std::size_t n = 0;
    while (i < text.size() && predicate(text[i]))
      ascii += static_cast<char>(text[i++]), ++n;
    return n;
  };
  const auto takeSign = [&]() {
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
      if (text[i] == u'-')
        ascii += '-';
      ++i;
    }
  };
  takeSign();
  std::size_t digits = take(isDigit);
  if (i < text.size() && text[i] == u'.') {
    ascii += '.', ++i;
    digits += take(isDigit);
  }
  if (digits == 0)
    return {};
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    ascii += 'e', ++i;
    takeSign();
    if (take(isDigit) == 0)
      return {};
  }
  return i == text.size() ? ascii : std::string();
}

// Roughly the power of ten of a well-formed number: enough to tell overflow from underflow.
long decimalMagnitude(const std::string& ascii) {
  const auto e = ascii.find('e');
  const std::string mantissa = ascii.substr(0, e);
  long magnitude = e == std::string::npos ? 0 : std::strtol(ascii.c_str() + e + 1, nullptr, 10);
  const auto firstSignificant = mantissa.find_first_of("123456789");
  if (firstSignificant == std::string::npos)
    return std::numeric_limits<long>::min();
  const auto point = std::min(mantissa.find('.'), mantissa.size());
  return magnitude + static_cast<long>(point) - static_cast<long>(firstSignificant);
}

Text formatFloating(double value, int significantDigits) {
  if (value == 0)
    return u"0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*G", significantDigits, value);
  std::string s = buffer;
  // Drop trailing zeros of a fraction, and the point itself when nothing is left behind it.
  const auto exponentAt = s.find('E');
  std::string mantissa = s.substr(0, exponentAt);
  const std::string exponent = exponentAt == std::string::npos ? "" : s.substr(exponentAt);
  if (mantissa.find('.') != std::string::npos) {
    mantissa.erase(mantissa.find_last_not_of('0') + 1);
    if (mantissa.back() == '.')
      mantissa.pop_back();
  }
  return textFromAscii(mantissa + exponent);
}

}  // namespace

double roundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff < 0.5)
    return floor;
  if (diff > 0.5)
    return floor + 1;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

double divide(double dividend, double divisor) {
  if (divisor == 0)
    throw runtimeError(dividend == 0 ? runtime_error::kOverflow : runtime_error::kDivisionByZero);
  return dividend / divisor;
}

std::int16_t toInt16(double value) {
  return toInteger<std::int16_t>(value);
}
std::int32_t toInt32(double value) {
  return toInteger<std::int32_t>(value);
}

float toSingle(double value) {
  if (std::isnan(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
    throw runtimeError(runtime_error::kOverflow);
  }
  return static_cast<float>(value);
}

double textToDouble(TextView text) {
  while (!text.empty() && isBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back()))
    text.remove_suffix(1);
  const std::string ascii = numberShape(text);
  if (ascii.empty())
    throw runtimeError(runtime_error::kTypeMismatch);
  double value = 0;
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (error == std::errc::result_out_of_range) {
    // from_chars reports underflow the same way; a number too small for a double is zero.
    if (decimalMagnitude(ascii) < 0)
      return 0.0;
    throw runtimeError(runtime_error::kOverflow);
  }
  if (error != std::errc() || end != ascii.data() + ascii.size()) {
    throw runtimeError(runtime_error::kTypeMismatch);
  }
  return value;
}

std::int32_t textToInt32(TextView text) {
  return toInt32(textToDouble(text));
}

Text numberToText(std::int32_t value) {
  return textFromAscii(std::to_string(value));
}
Text numberToText(double value) {
  return formatFloating(value, 15);
}
Text numberToText(float value) {
  return formatFloating(value, 7);
}

}  // namespace hv
