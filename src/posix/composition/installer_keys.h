#pragma once

#include <vector>

#include "posix/minisign_format.h"

namespace hv {

// The minisign public keys this build trusts to sign installers, fixed when it was built.
const std::vector<MinisignPublicKey>& trustedInstallerKeys();

}  // namespace hv
