#include "runtime/text_compare.h"

namespace hv {
namespace {

char16_t lowerAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? c + 32 : c;
}

template <typename A, typename B>
bool equalIgnoringCase(A a, B b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(static_cast<char16_t>(a[i])) != lowerAscii(static_cast<char16_t>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

bool equalsIgnoringAsciiCase(TextView a, TextView b) {
  return equalIgnoringCase(a, b);
}
bool equalsIgnoringAsciiCase(std::string_view ascii, TextView b) {
  return equalIgnoringCase(ascii, b);
}
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return equalIgnoringCase(a, b);
}

}  // namespace hv
