#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/transfer_control_port.h"
#include "transfer/response_headers.h"
#include "transfer/transfer_code.h"

namespace hv {

// What a transfer control answers about its last response, kept the same way on every platform:
// the status line and header fields as received (ANSI), the code of the last result with its
// numbering and its text, and the time-out it was given.
class TransferResponse : public TransferControl {
 public:
  // A field's value, empty text when absent; "STATUS" gives the status code and reason (empty
  // before any status).
  Text GetHeader(TextView name) override;
  std::int32_t ResponseCode() override { return code_.value(); }
  Text ResponseInfo() override { return responseInfo_; }
  void RequestTimeout(std::int32_t seconds) override { timeoutSeconds_ = std::max(seconds, 0); }

 protected:
  std::int32_t timeoutSeconds_ = 0;
  long status_ = 0;
  std::string reason_;
  ResponseHeaders headers_;
  TransferCode code_;
  Text responseInfo_;
};

}  // namespace hv
