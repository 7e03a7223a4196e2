#include "platform/transfer_header.h"

#include <cstdint>

#include "runtime/numeric_conversion.h"
#include "runtime/text_compare.h"
#include "runtime/text_encoding.h"

namespace hv {

Text transferHeader(TextView name, long status, const std::string& reason,
                    const ResponseHeaders& headers) {
  if (equalsIgnoringAsciiCase("STATUS", name))
    return status == 0 ? Text()
                       : numberToText(static_cast<std::int32_t>(status)) + u" " + fromAnsi(reason);
  const std::string* value = headers.find(toUtf8(name));
  return value == nullptr ? Text() : fromAnsi(*value);
}

}  // namespace hv
