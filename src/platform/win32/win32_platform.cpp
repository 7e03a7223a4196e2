#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_event_log.h"
#include "platform/win32/win32_file_service.h"
#include "platform/win32/win32_message_pump.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_temp_folder.h"
#include "platform/win32/win32_transfers.h"

namespace hv {

Platform& win32Platform() {
  static Win32Registry registry;
  static Win32EventLog eventLog;
  static Win32TempFolder tempFolder;
  static Win32Clock clock;
  static Win32MessagePump messagePump;
  static Win32Transfers transfers;
  static Win32FileService files;
  static Platform platform{registry, eventLog, tempFolder, clock, messagePump, transfers, files};
  return platform;
}

}  // namespace hv
