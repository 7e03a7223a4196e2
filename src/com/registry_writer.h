#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "control/registration.h"

namespace hv {

// Self-registration: writes the keys and string values, in order.
HRESULT writeRegistration(const std::vector<RegistrationKey>& keys);

// Removes exactly what writeRegistration wrote: its values, then each key and each parent key
// it had to create, when nothing else is left in them. Top-level keys that others share
// ("CLSID", "Interface", "TypeLib") are never touched, nor the keys of a class or type library
// whose server is now another copy of the module than `modulePath` (another file, not another
// name of the same file), nor what both widths of the module share (the type library's version
// key, a class's ProgID) while the other width is registered beside this one. When every group belongs to another copy nothing is
// removed and the answer says so (SELFREG_E_CLASS).
HRESULT removeRegistration(const std::vector<RegistrationKey>& keys,
                           const std::wstring& modulePath);

}  // namespace hv
