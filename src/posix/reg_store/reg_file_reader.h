#pragma once

#include "posix/reg_store/registry_tree.h"
#include "runtime/text.h"

namespace hv {

// Applies the text of a .reg file ("REGEDIT4" or "Windows Registry Editor Version 5.00") to
// `tree`: key creations and [-key] deletions, string, dword, hex and hex(N) values, "name"=-
// deletions, ";" comments and "\" continuations of hex data. Throws RegFileError naming the
// line of the first fault; the tree may then hold part of the file, so callers read into a
// tree of their own and drop it.
void readRegFile(TextView content, RegistryTree& tree);

}  // namespace hv
