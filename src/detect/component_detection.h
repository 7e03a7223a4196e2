#pragma once

#include "platform/registry_port.h"
#include "runtime/text.h"

namespace hv {

// What of the vendor's application the registry says is installed. Every call reads the
// registry afresh: pages ask again after an install and must see the new state.

// The document types are registered in the MIME database under their own extensions.
bool hasCvxMime(RegistryPort& registry);
bool hasCvtMime(RegistryPort& registry);

// Each edition's recorded install folder; the empty text when none is recorded.
Text participantInstallFolder(RegistryPort& registry);
Text supervisorInstallFolder(RegistryPort& registry);

// The browser opens the application's executable file type without asking the current user.
bool hasIEAutoOpen(RegistryPort& registry);

}  // namespace hv
