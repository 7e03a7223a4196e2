#pragma once

#include <string>

#include "client_checks.h"
#include "messaging_driver/host_process.h"

namespace hv::client {

struct DriverSetup {
  std::wstring host;
  std::wstring module;
  std::wstring store;
};

// Imports a .reg file into the prefix's registry, as an application's installer would leave it.
bool importStore(const std::wstring& store);

// What only the Windows host does: an installer fetched from the site and its exit status
// honoured, a document opened with the registered program, and the control answering from the
// same registry as the host.
void checkWindowsFlows(Checks& checks, const DriverSetup& setup);

}  // namespace hv::client
