#include "win32/win32_installer_trust.h"

#include <windows.h>
// After windows.h, which they need.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"

namespace hv {
namespace {

// Writers and deleters are shut out for as long as the handle is open: CreateProcessW, which
// shares reading, still opens the file, and runs the bytes that were checked.
class HeldInstaller : public CheckedInstaller {
 public:
  explicit HeldInstaller(HANDLE file) : file_(file) {}
  HeldInstaller(const HeldInstaller&) = delete;
  HeldInstaller& operator=(const HeldInstaller&) = delete;
  ~HeldInstaller() override { CloseHandle(file_); }
  HANDLE handle() const { return file_; }

 private:
  HANDLE file_;
};

std::unique_ptr<HeldInstaller> holdUnchangeable(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw installerRefusal(u"the installer could not be opened to check it (system error " +
                           numberToText(static_cast<std::int32_t>(GetLastError())) + u")");
  }
  return std::make_unique<HeldInstaller>(file);
}

// What WinVerifyTrust said, and whose certificate signed when it could say that much.
struct Verdict {
  LONG status;
  std::optional<CertificateThumbprint> signer;
};

std::optional<CertificateThumbprint> thumbprintOf(PCCERT_CONTEXT certificate) {
  CertificateThumbprint digest{};
  DWORD size = digest.size();
  if (!CryptHashCertificate(0, CALG_SHA_256, 0, certificate->pbCertEncoded,
                            certificate->cbCertEncoded, digest.data(), &size) ||
      size != digest.size()) {
    return std::nullopt;
  }
  return digest;
}

// The certificate that made the primary signature, from the state WinVerifyTrust kept.
std::optional<CertificateThumbprint> signerOf(HANDLE state) {
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
  if (provider == nullptr)
    return std::nullopt;
  CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
  if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain[0].pCert == nullptr)
    return std::nullopt;
  return thumbprintOf(signer->pasCertChain[0].pCert);
}

// The platform's own judgement with its own defaults: the whole chain, revocation included,
// checked on the held handle so that the file cannot be swapped under the check.
Verdict verifyTrust(const std::wstring& path, HANDLE file) {
  WINTRUST_FILE_INFO fileInfo{};
  fileInfo.cbStruct = sizeof fileInfo;
  fileInfo.pcwszFilePath = path.c_str();
  fileInfo.hFile = file;
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const auto window = static_cast<HWND>(INVALID_HANDLE_VALUE);
  Verdict verdict{WinVerifyTrust(window, &action, &data), std::nullopt};
  if (verdict.status == ERROR_SUCCESS)
    verdict.signer = signerOf(data.hWVTStateData);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(window, &action, &data);
  return verdict;
}

Text hexText(std::span<const std::uint8_t> bytes) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  Text text;
  for (const std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

Text statusText(LONG status) {
  const auto value = static_cast<std::uint32_t>(status);
  const std::uint8_t bytes[] = {
      static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
      static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
  return u"0x" + hexText(bytes);
}

// Why Windows would not trust the file, in the words a user can act on.
Text reasonFor(LONG status) {
  switch (static_cast<HRESULT>(status)) {
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
      return u"the installer is not signed";
    case TRUST_E_BAD_DIGEST:
      return u"the installer's signature does not match its contents";
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_CHAINING:
    case CERT_E_UNTRUSTEDTESTROOT:
      return u"the installer's certificate does not lead to a root this system trusts";
    case CERT_E_REVOKED:
    case CRYPT_E_REVOKED:
      return u"the installer's certificate has been revoked";
    case CERT_E_REVOCATION_FAILURE:
      return u"whether the installer's certificate was revoked could not be checked";
    case CERT_E_EXPIRED:
      return u"the installer's certificate has expired";
    case CERT_E_WRONG_USAGE:
      return u"the installer's certificate is not one for signing programs";
    case TRUST_E_EXPLICIT_DISTRUST:
      return u"the installer's signer is distrusted on this system";
    default:
      return u"Windows does not trust the installer's signature (" + statusText(status) + u")";
  }
}

}  // namespace

Win32InstallerTrust::Win32InstallerTrust(std::vector<CertificateThumbprint> pinned)
    : pinned_(std::move(pinned)) {}

std::unique_ptr<CheckedInstaller> Win32InstallerTrust::checkAndHold(const Text& path,
                                                                    std::string_view) {
  const std::wstring file(path.begin(), path.end());
  auto held = holdUnchangeable(file);
  const Verdict verdict = verifyTrust(file, held->handle());
  if (verdict.status != ERROR_SUCCESS)
    throw installerRefusal(reasonFor(verdict.status));
  if (!verdict.signer)
    throw installerRefusal(u"the installer's signer could not be read from its signature");
  if (std::find(pinned_.begin(), pinned_.end(), *verdict.signer) == pinned_.end()) {
    throw installerRefusal(
        u"the installer's signature was made by a certificate this library does not trust "
        u"(SHA-256 " +
        hexText(*verdict.signer) + u")");
  }
  return held;
}

std::vector<Text> Win32InstallerTrust::trustedSigners() const {
  std::vector<Text> signers;
  for (const auto& thumbprint : pinned_)
    signers.push_back(u"certificate SHA-256 " + hexText(thumbprint));
  return signers;
}

}  // namespace hv
