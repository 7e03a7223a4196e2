#include "posix/composition/usable_environment.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "posix/composition/environment_error.h"

namespace hv {

void requireReadableStore(RegistryStore& store) {
  store.snapshot();
  if (const auto& problem = store.problem())
    throw EnvironmentError(problem->what());
}

void requireUsableTempFolder(TempFolderPort& folder) {
  const auto path = folder.tempPath();
  if (!path)
    throw EnvironmentError("the temporary folder is not known");
  std::error_code error;
  if (!std::filesystem::is_directory(*path, error))
    throw EnvironmentError("the temporary folder " + *path + " is not a folder");
  if (::access(path->c_str(), W_OK | X_OK) != 0) {
    throw EnvironmentError("cannot create files in the temporary folder " + *path + ": " +
                           std::strerror(errno));
  }
}

}  // namespace hv
