#pragma once

#include "fakes/fake_clock.h"
#include "fakes/fake_event_log.h"
#include "fakes/fake_file_service.h"
#include "fakes/fake_installer_trust.h"
#include "fakes/fake_message_pump.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_temp_folder.h"
#include "fakes/fake_transfer.h"
#include "fakes/fake_ui_site.h"
#include "orchestrate/library_catalog.h"
#include "platform/platform.h"
#include "runtime/ansi_code_page.h"

namespace hv::testing {

// Every port faked, bundled the way the host bundles the real ones.
struct FakePlatform {
  // The code page of the POSIX platform, which the tests run on.
  FakePlatform() { selectAnsiCodePage(AnsiCodePage::Utf8); }

  FakeRegistry registry;
  FakeEventLog eventLog;
  FakeTempFolder tempFolder;
  FakeClock clock;
  FakeMessagePump messagePump;
  FakeTransferFactory transfers;
  FakeFileService files;
  FakeProcesses processes;
  FakeInstallerTrust installerTrust;
  Platform platform{registry,  eventLog, tempFolder, clock,         messagePump,
                    transfers, files,    processes,  installerTrust};
  // What a page gives the controls it creates: the module's classes and a recording UI site.
  FakeUiSite ui;
  ClassCatalog classes = libraryCatalog(platform);
  CreationContext context{classes, ui};
};

}  // namespace hv::testing
