#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "runtime/text.h"

namespace hv {

// Root keys as .reg files name them, full names and the usual abbreviations, in any case.
std::optional<std::uint32_t> registryRootByName(TextView name);
std::string registryRootName(std::uint32_t root);

// Where a key named under the classes root is kept: under the machine's classes, as Windows
// writes it for a key the current user does not override. Other roots stay as they are.
std::pair<std::uint32_t, Text> splitClassesRoot(std::uint32_t root, Text path);

}  // namespace hv
