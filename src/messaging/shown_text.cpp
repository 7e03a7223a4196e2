#include "messaging/shown_text.h"

#include "runtime/printable_text.h"
#include "runtime/text_encoding.h"

namespace hv {

std::string shownText(std::string_view utf8) {
  return quotedExcerpt(fromUtf8(utf8));
}

}  // namespace hv
