#pragma once

#include <vector>

#include "platform/installer_trust_port.h"
#include "posix/minisign_format.h"

namespace hv {

// Installers signed with minisign by one of the keys the build trusts: the detached signature
// fetched beside the installer, both of minisign's algorithms, the trusted comment's own
// signature checked too. The installer is made unwritable before it is read, and stays so.
class MinisignTrust : public InstallerTrustPort {
 public:
  explicit MinisignTrust(std::vector<MinisignPublicKey> keys);

  Text detachedSignatureSuffix() const override;
  std::unique_ptr<CheckedInstaller> checkAndHold(const Text& path,
                                                 std::string_view signature) override;
  std::vector<Text> trustedSigners() const override;

 private:
  const MinisignPublicKey& keyOf(const MinisignSignature& signature) const;

  std::vector<MinisignPublicKey> keys_;
};

}  // namespace hv
