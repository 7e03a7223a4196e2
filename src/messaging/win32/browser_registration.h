#pragma once

#include <iosfwd>
#include <string>

namespace hv {

// The user's own registration of the host with Chrome, Edge and Firefox: the manifests in the
// user's local application data folder, and the key each browser reads, whose default value
// names its manifest. Says what it did, or why it could not, on `out`; true when all was done.
// An installation for the whole machine registers in HKEY_LOCAL_MACHINE instead (the installer).
bool registerWithBrowsers(const std::wstring& hostPath, std::ostream& out);
// Removes what registerWithBrowsers wrote; what is already gone counts as removed.
bool unregisterFromBrowsers(std::ostream& out);

}  // namespace hv
