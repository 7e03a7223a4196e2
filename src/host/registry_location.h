#pragma once

#include <filesystem>

#include "host/host_options.h"

namespace hv {

// Where the registry store lies: --registry, then $HVDETECTOR_REGISTRY, then the per-user
// folder hvdetector/registry under $XDG_CONFIG_HOME (or ~/.config).
std::filesystem::path registryLocation(const HostOptions& options);

}  // namespace hv
