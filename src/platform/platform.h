#pragma once

#include "platform/clock_port.h"
#include "platform/event_log_port.h"
#include "platform/file_service_port.h"
#include "platform/installer_trust_port.h"
#include "platform/message_pump_port.h"
#include "platform/process_port.h"
#include "platform/registry_port.h"
#include "platform/temp_folder_port.h"
#include "platform/transfer_control_port.h"

namespace hv {

// Every outside effect the library has goes through one of these. The host (or the COM entry
// points) chooses the implementations; tests hand in fakes.
struct Platform {
  RegistryPort& registry;
  EventLogPort& eventLog;
  TempFolderPort& tempFolder;
  ClockPort& clock;
  MessagePumpPort& messagePump;
  TransferFactoryPort& transfers;
  FileServicePort& files;
  ProcessPort& processes;
  InstallerTrustPort& installerTrust;
};

}  // namespace hv
