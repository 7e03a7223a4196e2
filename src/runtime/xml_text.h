#pragma once

#include <string>
#include <string_view>

namespace hv {

// `text` as XML character data or an attribute value in double quotes.
std::string xmlEscaped(std::string_view text);

}  // namespace hv
