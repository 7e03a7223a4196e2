// Authenticode as the adapter judges it: installers signed when the tests were built (one changed
// after signing), and one made from them here (a signature block moved onto another program).
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "client_checks.h"
#include "runtime/script_error.h"
#include "win32/win32_installer_trust.h"

#ifndef HVDETECTOR_DEMO_SIGNER
#error "HVDETECTOR_DEMO_SIGNER is set by the build"
#endif

namespace hv::client {
namespace {

using Bytes = std::vector<char>;

std::wstring besideClient(const std::wstring& name) {
  const std::wstring& module = modulePathUnderTest();
  return module.substr(0, module.find_last_of(L'\\') + 1) + name;
}

Bytes readAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A scratch installer of that name beside the client.
std::wstring written(const std::wstring& name, const Bytes& bytes) {
  const std::wstring path = besideClient(name);
  std::ofstream(path.c_str(), std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// Where a PE file's optional header keeps the certificate table's offset and size.
std::size_t certificateEntry(const Bytes& image) {
  std::uint32_t header = 0;
  std::memcpy(&header, image.data() + 0x3c, sizeof header);
  std::uint16_t magic = 0;
  std::memcpy(&magic, image.data() + header + 24, sizeof magic);
  const std::size_t directories = header + 24 + (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? 112 : 96);
  return directories + IMAGE_DIRECTORY_ENTRY_SECURITY * 8;
}

// `program` carrying the certificate table of `signed`: a signature made over other bytes.
Bytes withSignatureOf(const Bytes& signedImage, Bytes program) {
  std::uint32_t table[2];
  std::memcpy(table, signedImage.data() + certificateEntry(signedImage), sizeof table);
  program.resize((program.size() + 7) / 8 * 8);
  const std::uint32_t moved[2] = {static_cast<std::uint32_t>(program.size()), table[1]};
  std::memcpy(program.data() + certificateEntry(program), moved, sizeof moved);
  program.insert(program.end(), signedImage.begin() + table[0],
                 signedImage.begin() + table[0] + table[1]);
  return program;
}

// Wine's WinVerifyTrust does not look for the chain's root among the trusted ones: a
// certificate that Windows refuses as untrusted reaches the pin there.
bool onWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The description a check raised, empty when it passed.
std::string refusal(Win32InstallerTrust& trust, const std::wstring& path) {
  try {
    trust.checkAndHold(Text(path.begin(), path.end()), {});
  } catch (const ScriptError& e) {
    return std::string(e.description().begin(), e.description().end());
  }
  return {};
}

struct TrustCase {
  const char* label;
  std::wstring path;
  std::string onWindows;
  std::string onWine;  // empty: as on Windows
};

}  // namespace

void checkInstallerTrust(Checks& checks) {
  const Bytes demoSigned = readAll(besideClient(L"demo-signed.exe"));
  const Bytes tampered = readAll(besideClient(L"tampered-signed.exe"));
  const Bytes unpinnedSigned = readAll(besideClient(L"unpinned-signed.exe"));
  const Bytes unsignedProgram = readAll(besideClient(L"hvdetector_recording_program.exe"));
  const Bytes otherProgram = readAll(besideClient(L"hvdetector_box_watcher.exe"));
  const bool prepared = !demoSigned.empty() && !tampered.empty() && !unpinnedSigned.empty() &&
                        !unsignedProgram.empty() && !otherProgram.empty();
  checks.check("the signed test installers are beside the client", prepared);
  if (!prepared)
    return;
  Win32InstallerTrust trust({CertificateThumbprint HVDETECTOR_DEMO_SIGNER});
  const std::string notMatching =
      "Nothing was run: the installer's signature does not match its contents";
  // The demo certificate is its own root: Windows trusts it once it is among the machine's
  // trusted roots, as on a test machine; Wine trusts any root.
  const std::vector<TrustCase> cases = {
      {"a signature by the pinned certificate", written(L"good.exe", demoSigned), "", ""},
      {"a byte flipped after signing", written(L"tampered.exe", tampered), notMatching, ""},
      {"no signature", written(L"unsigned.exe", unsignedProgram),
       "Nothing was run: the installer is not signed", ""},
      {"a certificate no build pins", written(L"unpinned.exe", unpinnedSigned),
       "Nothing was run: the installer's certificate does not lead to a root this system trusts",
       "Nothing was run: the installer's signature was made by a certificate this library does not "
       "trust"},
      {"a signature made over another program",
       written(L"moved-signature.exe", withSignatureOf(demoSigned, otherProgram)), notMatching, ""},
  };
  for (const auto& c : cases) {
    const std::string& expected = onWine() && !c.onWine.empty() ? c.onWine : c.onWindows;
    const std::string got = refusal(trust, c.path);
    checks.equal(std::string("installer trust: ") + c.label, got.substr(0, expected.size()),
                 expected);
    checks.check(std::string("installer trust: ") + c.label + ": nothing holds the file after",
                 DeleteFileW(c.path.c_str()));
  }

  // While the result lives the file can be started but neither changed nor removed.
  const std::wstring held = written(L"held.exe", demoSigned);
  {
    const auto checked = trust.checkAndHold(Text(held.begin(), held.end()), {});
    const HANDLE writer = CreateFileW(held.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    checks.check("a held installer cannot be opened for writing", writer == INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE)
      CloseHandle(writer);
    checks.check("a held installer cannot be removed", !DeleteFileW(held.c_str()));
    checks.check("a held installer cannot be renamed",
                 !MoveFileW(held.c_str(), besideClient(L"renamed.exe").c_str()));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = L"\"" + held + L"\"";
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &process);
    checks.check("a held installer can still be started", started);
    if (started) {
      WaitForSingleObject(process.hProcess, 10000);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  checks.check("a released installer can be removed", DeleteFileW(held.c_str()));
  checks.equal("the pinned signer is named", trust.trustedSigners().size(), std::size_t{1});
}

}  // namespace hv::client
