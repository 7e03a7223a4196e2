#include "posix/posix_local_machine.h"

#include <cstdlib>
#include <ctime>

namespace hv {

LocalDateTime PosixClock::localNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_yday + 1,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::optional<std::string> PosixTempFolder::tempPath() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = dir != nullptr && *dir != '\0' ? dir : "/tmp";
  if (!path.ends_with('/'))
    path += '/';
  return path;
}

}  // namespace hv
