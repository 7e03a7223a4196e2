#include "transfer/transfer_response.h"

#include "runtime/numeric_conversion.h"
#include "runtime/text_compare.h"
#include "runtime/text_encoding.h"

namespace hv {

Text TransferResponse::GetHeader(TextView name) {
  if (equalsIgnoringAsciiCase("STATUS", name))
    return status_ == 0
               ? Text()
               : numberToText(static_cast<std::int32_t>(status_)) + u" " + fromAnsi(reason_);
  const std::string* value = headers_.find(toUtf8(name));
  return value == nullptr ? Text() : fromAnsi(*value);
}

}  // namespace hv
