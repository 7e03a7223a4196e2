#pragma once

#include <optional>
#include <string>

namespace hv {

// What the options before the command choose for the whole run.
struct HostOptions {
  std::optional<std::string> registry;  // the registry store, a .reg file or a folder of them
};

}  // namespace hv
