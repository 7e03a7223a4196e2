#include "posix/composition/registry_location.h"

#include <cstdlib>

#include "posix/composition/environment_error.h"

namespace hv {
namespace {

const char* variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

std::optional<std::filesystem::path> userConfigFolder() {
  // A relative $XDG_CONFIG_HOME is to be ignored, as if it were not set.
  if (const char* xdg = variable("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
    return xdg;
  if (const char* home = variable("HOME"))
    return std::filesystem::path(home) / ".config";
  return std::nullopt;
}

std::filesystem::path registryLocation(const HostOptions& options) {
  if (options.registry)
    return *options.registry;
  if (const char* store = variable("HVDETECTOR_REGISTRY"))
    return store;
  const auto config = userConfigFolder();
  if (!config)
    throw EnvironmentError("no registry store: give --registry PATH or set HVDETECTOR_REGISTRY");
  return *config / "hvdetector" / "registry";
}

}  // namespace hv
