#pragma once

#include <optional>
#include <string>

namespace hv {

// What the options before the command choose for the whole run.
struct HostOptions {};

}  // namespace hv
