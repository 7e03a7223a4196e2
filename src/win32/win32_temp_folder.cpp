#include "win32/win32_temp_folder.h"

#include <windows.h>

namespace hv {

std::optional<std::string> Win32TempFolder::tempPath() {
  char buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length > sizeof buffer)
    return std::nullopt;
  return std::string(buffer, length);
}

}  // namespace hv
