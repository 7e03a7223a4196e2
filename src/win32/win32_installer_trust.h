#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/installer_trust_port.h"

namespace hv {

// A certificate's SHA-256 thumbprint: the digest of its DER encoding.
using CertificateThumbprint = std::array<std::uint8_t, 32>;

// Authenticode, as Windows judges any program it is asked to trust: WinVerifyTrust checks the
// signature against the installer's bytes and the signer's chain up to a trusted root, with
// revocation; then the signer's certificate must be one the build pins, so that a certificate
// any public authority issued to someone else is not enough.
class Win32InstallerTrust : public InstallerTrustPort {
 public:
  explicit Win32InstallerTrust(std::vector<CertificateThumbprint> pinned);

  Text detachedSignatureSuffix() const override { return {}; }
  std::unique_ptr<CheckedInstaller> checkAndHold(const Text& path,
                                                 std::string_view signature) override;
  std::vector<Text> trustedSigners() const override;

 private:
  std::vector<CertificateThumbprint> pinned_;
};

}  // namespace hv
