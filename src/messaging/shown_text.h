#pragma once

#include <string>
#include <string_view>

namespace hv {

// Text a browser or a page sent, as a message to them or a log line shows it: quoted, escaped
// and cut short, so a hostile value never reaches a log or a terminal as it stands.
std::string shownText(std::string_view utf8);

}  // namespace hv
