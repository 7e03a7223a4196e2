#pragma once

#include <windows.h>

#include <vector>

#include "control/registration.h"

namespace hv {

// Self-registration: writes the keys and string values, in order.
HRESULT writeRegistration(const std::vector<RegistrationKey>& keys);

// Removes exactly what writeRegistration wrote: its values, then each key and each parent key
// it had to create, when nothing else is left in them. Top-level keys that others share
// ("CLSID", "Interface", "TypeLib") are never touched.
HRESULT removeRegistration(const std::vector<RegistrationKey>& keys);

}  // namespace hv
