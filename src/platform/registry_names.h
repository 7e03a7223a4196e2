#pragma once

#include "runtime/text.h"

namespace hv {

// How the registry names keys and values, for every implementation of its port (Windows does
// this itself; the .reg store and the fake follow it).

// Names as the registry compares them: letters of the Latin-1 range fold to lower case.
Text foldRegistryName(TextView name);

// A key path without a trailing separator; the empty text is the root itself.
Text trimKeyPath(TextView path);

// A classes-root path under a hive's Software\Classes: the classes root is the merge of the
// current user's and the machine's, the user's key hiding the machine's one whole.
Text classesPath(TextView path);

}  // namespace hv
