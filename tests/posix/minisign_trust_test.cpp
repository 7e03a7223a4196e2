// The installer's signature over a loopback site, checked by the minisign adapter with keys made
// by the minisign tool: what a signature may be and how a hostile one ends. A refused installer
// shows the reason, leaves no file and runs nothing.
#include "posix/minisign_trust.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "control/module_state.h"
#include "fakes/fake_ui_site.h"
#include "orchestrate/base.h"
#include "orchestrate/library_catalog.h"
#include "runtime/text_encoding.h"
#include "support/loopback_site.h"
#include "support/minisign_signer.h"

namespace hv {
namespace {

using ::testing::IsEmpty;
using testing::MinisignSigner;
using testing::Reply;
using ::testing::StartsWith;

constexpr char kInstallerPath[] = "/cvAppDownloads/library/windows/vm/install.exe";
constexpr char kFetched[] = "install63921449486000.exe";
const std::string kInstaller = "#!/bin/sh\n# the vendor's installer\nexit 0\n";

// The trusted key and one nobody trusts, made once for the suite: minisign takes a moment.
const MinisignSigner& vendor() {
  static const MinisignSigner signer;
  return signer;
}
const MinisignSigner& stranger() {
  static const MinisignSigner signer;
  return signer;
}

std::string signatureOf(const MinisignSigner& signer, const std::string& bytes,
                        bool legacy = false) {
  testing::TempDir dir;
  testing::writeFile(dir.path() / "file", bytes);
  return signer.sign(dir.path() / "file", legacy);
}

std::string withLine(const std::string& signature, int index, const std::string& line) {
  std::vector<std::string> lines;
  std::string rest = signature;
  for (auto end = rest.find('\n'); end != std::string::npos; end = rest.find('\n')) {
    lines.push_back(rest.substr(0, end));
    rest.erase(0, end + 1);
  }
  lines[static_cast<std::size_t>(index)] = line;
  std::string joined;
  for (const auto& l : lines)
    joined += l + "\n";
  return joined;
}

std::vector<MinisignPublicKey> keysOf(const MinisignSigner& signer) {
  return readMinisignPublicKeys(testing::readFile(signer.publicKey()));
}

struct SignatureCase {
  const char* name;
  std::string served;  // the installer's bytes
  std::function<Reply()> signature;
  std::string reason;  // empty: the installer runs
};

void PrintTo(const SignatureCase& c, std::ostream* os) {
  *os << c.name;
}

class MinisignInstall : public ::testing::Test {
 protected:
  MinisignInstall() {
    threadModuleState().logLevel = 0;
    site.tempFolder.path = dir.slashed();
    // The library's own default is on https, which the loopback site does not serve.
    base.DownloadLocation(u"http://www.corvantis.example" + fromUtf8(kInstallerPath));
  }

  void install(const std::string& served, const Reply& signature) {
    site.server.route(kInstallerPath, testing::okReply(served));
    site.server.route(std::string(kInstallerPath) + ".minisig", signature);
    base.INSTALL();
    ASSERT_TRUE(
        site.network.loop.runUntil([&] { return base.lastDownloadStatus() != 0; },
                                   std::chrono::steady_clock::now() + std::chrono::seconds(30)));
  }

  testing::LoopbackSite site;
  testing::TempDir dir;
  MinisignTrust trust{keysOf(vendor())};
  Platform platform{site.registry,      site.eventLog,     site.tempFolder,
                    site.clock,         site.network.loop, site.transfers,
                    site.network.files, site.processes,    trust};
  testing::FakeUiSite ui;
  ClassCatalog classes = libraryCatalog(platform);
  Base base{platform, {classes, ui}};
};

class SignedInstaller : public MinisignInstall,
                        public ::testing::WithParamInterface<SignatureCase> {};

TEST_P(SignedInstaller, RunsOnlyTheVendorsOwnBytes) {
  const SignatureCase& c = GetParam();
  install(c.served, c.signature());
  const std::filesystem::path fetched = dir.path() / kFetched;
  if (c.reason.empty()) {
    EXPECT_EQ(ui.labels["lblDownload"].caption, u"Install complete");
    EXPECT_EQ(site.processes.commandLines().size(), 1u);
    return;
  }
  EXPECT_EQ(ui.labels["lblDownload"].caption, u"Install error");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_THAT(toUtf8(ui.boxes[0].text),
              StartsWith("Install failed, please try again by clicking refresh on your "
                         "browser.\r\nNothing was run: " +
                         c.reason));
  EXPECT_FALSE(std::filesystem::exists(fetched)) << "the refused file is removed";
  EXPECT_THAT(site.processes.calls, IsEmpty()) << "nothing ran, nothing was made runnable";
}

std::string tampered() {
  std::string bytes = kInstaller;
  bytes[12] ^= 0x01;
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Posix, SignedInstaller,
    ::testing::Values(
        SignatureCase{"Prehashed", kInstaller,
                      [] { return testing::okReply(signatureOf(vendor(), kInstaller)); }, ""},
        SignatureCase{"Legacy", kInstaller,
                      [] { return testing::okReply(signatureOf(vendor(), kInstaller, true)); }, ""},
        SignatureCase{"TamperedByte", tampered(),
                      [] { return testing::okReply(signatureOf(vendor(), kInstaller)); },
                      "the installer's signature does not match its contents"},
        SignatureCase{"LegacyTamperedByte", tampered(),
                      [] { return testing::okReply(signatureOf(vendor(), kInstaller, true)); },
                      "the installer's signature does not match its contents"},
        SignatureCase{"NoSignature", kInstaller,
                      [] { return testing::statusReply(404, "Not Found"); },
                      "the installer's signature could not be fetched (404 Not Found)"},
        SignatureCase{"OtherKey", kInstaller,
                      [] { return testing::okReply(signatureOf(stranger(), kInstaller)); },
                      "the installer's signature was made by a key this library does not trust"},
        SignatureCase{"OtherFile", kInstaller,
                      [] { return testing::okReply(signatureOf(vendor(), "another file")); },
                      "the installer's signature does not match its contents"},
        SignatureCase{"Truncated", kInstaller,
                      [] {
                        const std::string whole = signatureOf(vendor(), kInstaller);
                        return testing::okReply(whole.substr(0, whole.size() / 2));
                      },
                      "the installer's signature is malformed"},
        SignatureCase{"Oversized", kInstaller,
                      [] {
                        return testing::okReply(signatureOf(vendor(), kInstaller) +
                                                std::string(4096, '\n'));
                      },
                      "the installer's signature is larger than 4 KiB"},
        SignatureCase{"MillionLines", kInstaller,
                      [] { return testing::okReply(std::string(1000000, '\n')); },
                      "the installer's signature is larger than 4 KiB"},
        SignatureCase{"ChangedTrustedComment", kInstaller,
                      [] {
                        return testing::okReply(withLine(signatureOf(vendor(), kInstaller), 2,
                                                         "trusted comment: trusted by nobody"));
                      },
                      "the trusted comment of the installer's signature was changed"},
        SignatureCase{"RedirectToAnotherHost", kInstaller,
                      [] {
                        return testing::redirectReply(
                            "http://www.elsewhere.example/install.exe.minisig");
                      },
                      "the installer's signature could not be fetched (302 Redirect to "
                      "http://www.elsewhere.example/install.exe.minisig refused: outside the "
                      "permitted site)"}),
    [](const auto& info) { return std::string(info.param.name); });

// Nothing but the file's owner could write to it before the check; afterwards not even the
// owner can, until it has run.
TEST_F(MinisignInstall, NoWriterReachesTheInstallerBetweenCheckAndRun) {
  const std::string path = dir.slashed() + kFetched;
  mode_t modeWhileRunning = 0;
  int writerError = 0;
  site.processes.whileRunning = [&] {
    struct stat info {};
    ::stat(path.c_str(), &info);
    modeWhileRunning = info.st_mode;
    const int fd = ::open(path.c_str(), O_WRONLY);
    writerError = fd < 0 ? errno : 0;
    if (fd >= 0)
      ::close(fd);
  };
  install(kInstaller, testing::okReply(signatureOf(vendor(), kInstaller)));
  EXPECT_EQ(ui.labels["lblDownload"].caption, u"Install complete");
  EXPECT_EQ(modeWhileRunning & 0222, 0u);
  if (::geteuid() != 0) {
    EXPECT_EQ(writerError, EACCES);
  }
}

// A vendor bringing in a new key trusts both for a while: their .pub files put together.
TEST(MinisignKeys, EveryKeyOfAFileOfSeveralIsTrustedAndNamed) {
  const auto keys = readMinisignPublicKeys(testing::readFile(vendor().publicKey()) + "\n" +
                                           testing::readFile(stranger().publicKey()));
  MinisignTrust trust(keys);
  testing::TempDir dir;
  for (const MinisignSigner* signer : {&vendor(), &stranger()}) {
    testing::writeFile(dir / "install.exe", kInstaller);
    EXPECT_NO_THROW(trust.checkAndHold(fromUtf8((dir / "install.exe").string()),
                                       signer->sign(dir / "install.exe")));
    std::filesystem::remove(dir / "install.exe");
  }
  ASSERT_EQ(trust.trustedSigners().size(), 2u);
  EXPECT_THAT(toUtf8(trust.trustedSigners()[0]),
              ::testing::MatchesRegex("minisign key [0-9A-F]{16}"));
  EXPECT_THROW(readMinisignPublicKeys("untrusted comment: no key\nRWQnotakey\n"),
               std::invalid_argument);
}

}  // namespace
}  // namespace hv
