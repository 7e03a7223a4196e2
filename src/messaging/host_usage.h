#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hv {

// A word a person may start the host with, beyond --help and --version, and what it does.
struct PersonCommand {
  std::string_view word;
  std::string_view summary;
};

// What the host prints for a person who runs it with "--help" or "--version" alone: text, not a
// frame. A browser never starts it so (it passes an origin, or a manifest's path and an id), so
// any other arguments are a browser's and get nothing here. `commands` are the host's own.
std::optional<std::string> textForAPerson(std::span<const std::string> args,
                                          std::span<const PersonCommand> commands);

}  // namespace hv
