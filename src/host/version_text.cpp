#include "host/version_text.h"

#include <ostream>

#include "control/library_identity.h"
#include "download/site_domain.h"
#include "posix/composition/installer_keys.h"
#include "posix/curl_version.h"
#include "runtime/text_encoding.h"

namespace hv {

void printVersion(std::ostream& out) {
  out << "hvdetector " << library::kModuleVersion << "\n"
      << "libcurl " << curlVersion() << "\n"
      << "site domain " << toUtf8(SiteDomain()) << "\n";
  for (const auto& key : trustedInstallerKeys())
    out << "installer signing key " << keyIdText(key.keyId) << " (minisign)\n";
}

}  // namespace hv
