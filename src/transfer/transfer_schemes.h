#pragma once

#include <string_view>

namespace hv {

// Whether a transfer may go to `url` at all: http, https or ftp, in any case.
bool hasTransferScheme(std::string_view url);

}  // namespace hv
