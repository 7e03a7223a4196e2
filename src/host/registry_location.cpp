#include "host/registry_location.h"

#include <cstdlib>

#include "host/environment_error.h"

namespace hv {
namespace {

const char* variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

std::filesystem::path registryLocation(const HostOptions& options) {
  if (options.registry)
    return *options.registry;
  if (const char* store = variable("HVDETECTOR_REGISTRY"))
    return store;
  std::filesystem::path config;
  // A relative $XDG_CONFIG_HOME is to be ignored, as if it were not set.
  if (const char* xdg = variable("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
    config = xdg;
  else if (const char* home = variable("HOME"))
    config = std::filesystem::path(home) / ".config";
  else
    throw EnvironmentError("no registry store: give --registry PATH or set HVDETECTOR_REGISTRY");
  return config / "hvdetector" / "registry";
}

}  // namespace hv
