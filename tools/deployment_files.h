#pragma once

#include <string>

namespace hv {

// The INF that a page's cabinet carries: where the module comes from (the cabinet itself), its
// class identifier and file version for the browser's version check, and that it registers
// itself once copied.
std::string cabinetInf();

// The module's registration as Windows Installer registry rows, for inclusion in the installer's
// component: the same keys and values that registering the module writes, with the module's
// path written as the installer's folder property, so that uninstalling removes exactly them.
std::string installerRegistryInclude();

}  // namespace hv
