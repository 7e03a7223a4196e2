#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace hv {

// What the options before the command choose for the whole run.
struct HostOptions {
  std::optional<std::string> registry{};  // the registry store, a .reg file or a folder of them
  // Where the library's log lines go: empty for the system log, "stderr", or a file to append to.
  std::string log;
  // "HOST:PORT:ADDR:PORT" entries: requests for HOST:PORT go to ADDR:PORT instead.
  std::vector<std::string> connectTo = {};
  // How message boxes show: "wait", "print", or empty to wait only on an interactive terminal.
  std::string boxes = {};
  // How long a command may take to reach its flow's outcome; none: as long as it takes.
  std::optional<std::chrono::duration<double>> timeout = {};
};

}  // namespace hv
