#include "posix/posix_temp_folder.h"

#include <cstdlib>

namespace hv {

std::optional<std::string> PosixTempFolder::tempPath() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = dir != nullptr && *dir != '\0' ? dir : "/tmp";
  if (!path.ends_with('/'))
    path += '/';
  return path;
}

}  // namespace hv
