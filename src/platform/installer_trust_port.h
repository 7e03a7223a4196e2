#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "runtime/library_errors.h"
#include "runtime/script_error.h"
#include "runtime/text.h"

namespace hv {

// Keeps a checked installer exactly as it was checked until it has been started: while it
// lives nothing can change the file, so the bytes that run are the bytes that were checked.
class CheckedInstaller {
 public:
  virtual ~CheckedInstaller() = default;
};

// How every refusal to run a fetched installer reaches the install flow's error box, whichever
// part of the library or the system refused it.
inline ScriptError installerRefusal(const Text& why) {
  return ScriptError(kRefusedOrFailed, u"InstallInternal", u"Nothing was run: " + why);
}

// Decides whether a fetched installer is the vendor's, before anything runs it. Each system
// checks it its own way against what the build trusts: a detached signature fetched beside it,
// or a signature the installer carries inside.
class InstallerTrustPort {
 public:
  virtual ~InstallerTrustPort() = default;

  // What follows the installer's URL to name its detached signature (".minisig"), fetched by
  // the library through the transfers under the same domain rule; empty where the installer
  // carries its signature inside.
  virtual Text detachedSignatureSuffix() const = 0;

  // Checks the installer at `path` against `signature` (the detached signature's bytes, empty
  // where none is fetched) and holds it unchanged until the result goes. A file that is not the
  // vendor's throws ScriptError whose description begins "Nothing was run: " and says why.
  virtual std::unique_ptr<CheckedInstaller> checkAndHold(const Text& path,
                                                         std::string_view signature) = 0;

  // What this build trusts, one line each for a person: the minisign key ids, or the pinned
  // signers' certificate thumbprints.
  virtual std::vector<Text> trustedSigners() const = 0;
};

}  // namespace hv
