#pragma once

#include <optional>
#include <string>
#include <vector>

namespace hv {

// What the options before the command choose for the whole run.
struct HostOptions {
  // "HOST:PORT:ADDR:PORT" entries: requests for HOST:PORT go to ADDR:PORT instead.
  std::vector<std::string> connectTo;
};

}  // namespace hv
