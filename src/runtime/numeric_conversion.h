#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace hv {

// The script runtime's numeric rules: conversions to integers round to the nearest integer and a
// value exactly halfway goes to the even neighbour; a result outside the target's range, or a
// value that is not a number, is the runtime's overflow error (6).
double roundHalfEven(double value);
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);
float toSingle(double value);

// Floating division as the runtime's "/" does it: dividing by zero is error 11, and zero by
// zero, which has no value, is an overflow (6).
double divide(double dividend, double divisor);

// Text to number: blanks around the number are allowed, then an optional sign, decimal digits
// with an optional fraction and exponent. Anything else, the empty text included, is a type
// mismatch (13); a number too large for a double is an overflow (6).
double textToDouble(TextView text);
std::int32_t textToInt32(TextView text);

// Number to text as the runtime writes it: integers plainly, floating values with up to 15
// significant digits (7 for single precision) and no trailing zeros.
Text numberToText(std::int32_t value);
Text numberToText(double value);
Text numberToText(float value);

}  // namespace hv
