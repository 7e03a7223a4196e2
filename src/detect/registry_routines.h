#pragma once

#include <cstdint>

#include "platform/registry_port.h"
#include "runtime/text.h"

namespace hv {

// The library's only way into the registry: two read-only routines, under the names of the
// control's stored form (see the note in control/control_layout.h).

// Reads one value as text. Never fails: a key that does not open gives the empty text (not the
// default), a value that cannot be read gives `defaultText`; whatever bytes the value holds are
// taken as ANSI text and the last stored byte is dropped.
Text RegReadString(RegistryPort& registry, std::uint32_t root, TextView keyPath, TextView valueName,
                   TextView defaultText);

// "True" when the value exists under the key (of any type, with or without data), else "False".
Text RegValueExists(RegistryPort& registry, std::uint32_t root, TextView keyPath,
                    TextView valueName);

}  // namespace hv
