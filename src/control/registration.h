#pragma once

#include <vector>

#include "platform/registration_key.h"
#include "runtime/text.h"

namespace hv {

// The keys and values that registering the module creates, in the order they are written: the
// type library, then each class (InetDownloader, then Base) with its ProgID and interfaces.
// Unregistering removes exactly these. `modulePath` is where the module lies; `win64` chooses
// the type library's platform subkey.
std::vector<RegistrationKey> registrationEntries(TextView modulePath, bool win64);

}  // namespace hv
