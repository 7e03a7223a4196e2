#pragma once

#include "platform/temp_folder_port.h"
#include "posix/reg_store/registry_store.h"

namespace hv {

// A command that reads the registry would otherwise go on with an empty one and fail later for
// a reason that hides the real one. Throws EnvironmentError with the store's problem: missing,
// not listable, or a malformed file.
void requireReadableStore(RegistryStore& store);

// Throws EnvironmentError when the temporary folder is not a folder this process can create
// files in, before a download starts that could only fail there.
void requireUsableTempFolder(TempFolderPort& folder);

}  // namespace hv
