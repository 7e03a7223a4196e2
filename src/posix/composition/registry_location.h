#pragma once

#include <filesystem>
#include <optional>

#include "posix/composition/host_options.h"

namespace hv {

// Where the registry store lies: --registry, then $HVDETECTOR_REGISTRY, then the per-user
// folder hvdetector/registry under $XDG_CONFIG_HOME (or ~/.config).
std::filesystem::path registryLocation(const HostOptions& options);

// The user's configuration folder: $XDG_CONFIG_HOME when it is absolute, else ~/.config; none
// without either.
std::optional<std::filesystem::path> userConfigFolder();

}  // namespace hv
