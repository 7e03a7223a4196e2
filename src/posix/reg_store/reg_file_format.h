#pragma once

#include "posix/reg_store/registry_tree.h"
#include "runtime/text.h"

namespace hv {

// The tree as the text of a "Windows Registry Editor Version 5.00" file, which readRegFile
// reads back to an equal tree: one section per key, plain strings and dwords in their own
// notation, everything else as hex(N) data.
Text formatRegFile(const RegistryTree& tree);

}  // namespace hv
