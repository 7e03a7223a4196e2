#pragma once

#include <string>

#include "platform/response_headers.h"
#include "runtime/text.h"

namespace hv {

// What a transfer control's GetHeader answers for `name`: the field's value (ANSI), empty text
// when absent, and for "STATUS" the status code and reason (empty before any status).
Text transferHeader(TextView name, long status, const std::string& reason,
                    const ResponseHeaders& headers);

}  // namespace hv
