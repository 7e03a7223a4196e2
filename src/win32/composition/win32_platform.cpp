#include "win32/composition/win32_platform.h"

#include <windows.h>

#include "download/site_domain.h"
#include "runtime/ansi_code_page.h"
#include "win32/win32_event_log.h"
#include "win32/win32_file_service.h"
#include "win32/win32_installer_trust.h"
#include "win32/win32_local_machine.h"
#include "win32/win32_processes.h"
#include "win32/win32_registry.h"
#include "win32/win32_transfers.h"
#include "win32/win32_window_messages.h"

#ifndef HVDETECTOR_INSTALLER_SIGNERS
#error "HVDETECTOR_INSTALLER_SIGNERS is set by the build"
#endif

namespace hv {
namespace {

// Windows-1252 unless the system runs its 8-bit calls in UTF-8; other code pages are not
// supported and read as Windows-1252.
AnsiCodePage systemCodePage() {
  return GetACP() == CP_UTF8 ? AnsiCodePage::Utf8 : AnsiCodePage::Windows1252;
}

// The code page is chosen before the first port exists, so no conversion sees another one.
Platform& makePlatform() {
  selectAnsiCodePage(systemCodePage());
  static Win32Registry registry;
  static Win32EventLog eventLog;
  static Win32TempFolder tempFolder;
  static Win32Clock clock;
  static Win32MessagePump messagePump;
  static Win32Transfers transfers{{isInsideSiteDomain}};
  static Win32FileService files;
  static Win32Processes processes;
  static Win32InstallerTrust installerTrust{
      std::vector<CertificateThumbprint>{HVDETECTOR_INSTALLER_SIGNERS}};
  static Platform platform{registry,  eventLog, tempFolder, clock,         messagePump,
                           transfers, files,    processes,  installerTrust};
  return platform;
}

}  // namespace

Platform& win32Platform() {
  static Platform& platform = makePlatform();
  return platform;
}

}  // namespace hv
