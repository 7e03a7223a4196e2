#include "posix/composition/installer_keys.h"

#include <algorithm>
#include <string>

#ifndef HVDETECTOR_INSTALLER_KEYS
#error "HVDETECTOR_INSTALLER_KEYS is set by the build"
#endif

namespace hv {

const std::vector<MinisignPublicKey>& trustedInstallerKeys() {
  // The build checked each key's form and put them one after the other, a blank between.
  static const std::vector<MinisignPublicKey> keys = [] {
    std::string lines = HVDETECTOR_INSTALLER_KEYS;
    std::ranges::replace(lines, ' ', '\n');
    return readMinisignPublicKeys(lines);
  }();
  return keys;
}

}  // namespace hv
