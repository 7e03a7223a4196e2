#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_event_log.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_temp_folder.h"

namespace hv {

Platform& win32Platform() {
  static Win32Registry registry;
  static Win32EventLog eventLog;
  static Win32TempFolder tempFolder;
  static Win32Clock clock;
  static Platform platform{registry, eventLog, tempFolder, clock};
  return platform;
}

}  // namespace hv
