// The rule before an installer runs, on fakes: its detached signature fetched beside it and the
// platform's verdict on it; any refusal runs nothing and leaves no file behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "control/module_state.h"
#include "download/site_domain.h"
#include "runtime/library_errors.h"
#include "support/base_under_test.h"

namespace hv {
namespace {

using ::testing::ElementsAre;
using testing::FakeTransfer;
using ::testing::IsEmpty;

constexpr char16_t kInstaller[] = u"/tmp/install63921449486000.exe";
constexpr char16_t kNoMatch[] =
    u"Nothing was run: the installer's signature does not match its contents";

struct TrustCase {
  const char* name;
  std::function<void(FakeTransfer&)> answer;  // the signature's response
  std::optional<Text> portRefusal;
  Text reason;  // empty: the installer runs
};

void PrintTo(const TrustCase& c, std::ostream* os) {
  *os << c.name;
}

void answerWith(FakeTransfer& t, const std::string& body) {
  t.respond(body, u"");
  t.deliver(kResponseCompleted);
}

class SignedInstall : public ::testing::Test, protected testing::BaseUnderTest {
 protected:
  SignedInstall() {
    threadModuleState().logLevel = 0;
    fake.installerTrust.suffix = u".minisig";
  }

  // Serves the installer, then answers the signature's request in the pump that awaits it.
  void installAnswering(const std::function<void(FakeTransfer&)>& answer) {
    invokeByName(*base, u"INSTALL", MemberKind::Method, {});
    FakeTransfer* installer = &transfer();
    fake.messagePump.onPump = [&, installer] {
      FakeTransfer& latest = transfer();
      if (&latest != installer && !latest.executed.empty() && !latest.cancelled &&
          latest.responseCode == 0 && latest.body.empty())
        answer(latest);
    };
    serve("MZ", u"2");
  }
};

class InstallerTrust : public SignedInstall, public ::testing::WithParamInterface<TrustCase> {};

TEST_P(InstallerTrust, RunsOnlyWhatThePlatformTrusts) {
  const TrustCase& c = GetParam();
  if (c.portRefusal)
    fake.installerTrust.refusal = ScriptError(kRefusedOrFailed, u"", *c.portRefusal);
  int holdsWhileRunning = -1;
  fake.processes.whileRunning = [&] { holdsWhileRunning = fake.installerTrust.holdsAlive; };
  installAnswering(c.answer);

  EXPECT_EQ(fake.transfers.last().executed, std::vector<Text>{defaultInstallerUrl() + u".minisig"});
  const auto& label = fake.ui.labels["lblDownload"];
  if (c.reason.empty()) {
    EXPECT_EQ(label.caption, u"Install complete");
    EXPECT_EQ(holdsWhileRunning, 1) << "the checked file is held while it runs";
    EXPECT_EQ(fake.installerTrust.holdsAlive, 0);
    EXPECT_THAT(fake.files.removed, IsEmpty());
    return;
  }
  EXPECT_EQ(label.caption, u"Install error");
  ASSERT_EQ(fake.ui.boxes.size(), 1u);
  EXPECT_EQ(
      fake.ui.boxes[0].text,
      u"Install failed, please try again by clicking refresh on your browser.\r\n" + c.reason);
  EXPECT_THAT(fake.processes.calls, IsEmpty()) << "not even made runnable";
  EXPECT_THAT(fake.files.removed, ElementsAre(kInstaller));
}

INSTANTIATE_TEST_SUITE_P(
    Install, InstallerTrust,
    ::testing::Values(
        TrustCase{"Trusted", [](FakeTransfer& t) { answerWith(t, "sig"); }, std::nullopt, u""},
        TrustCase{"FourKiBIsStillASignature",
                  [](FakeTransfer& t) { answerWith(t, std::string(4096, 's')); }, std::nullopt,
                  u""},
        TrustCase{"LargerThanFourKiB",
                  [](FakeTransfer& t) { answerWith(t, std::string(4097, 's')); }, std::nullopt,
                  u"Nothing was run: the installer's signature is larger than 4 KiB"},
        TrustCase{"NotFound",
                  [](FakeTransfer& t) {
                    t.responseCode = 404;
                    t.responseInfo = u"Not Found";
                    t.deliver(kTransferFailed);
                  },
                  std::nullopt,
                  u"Nothing was run: the installer's signature could not be fetched (404 Not "
                  u"Found)"},
        TrustCase{"BodyBrokenOff",
                  [](FakeTransfer& t) {
                    t.bodyFailure = {{56, u"Connection reset"}};
                    answerWith(t, "untrusted");
                  },
                  std::nullopt,
                  u"Nothing was run: the installer's signature could not be fetched (56 "
                  u"Connection reset)"},
        TrustCase{"RefusedByThePlatform", [](FakeTransfer& t) { answerWith(t, "sig"); }, kNoMatch,
                  kNoMatch}),
    [](const auto& info) { return std::string(info.param.name); });

// Page script may name another location while the installer downloads: the signature is still
// the one beside the file that was fetched.
TEST_F(SignedInstall, ChecksTheBytesFetchedBesideTheInstallerThatArrived) {
  invokeByName(*base, u"INSTALL", MemberKind::Method, {});
  std::array<Variant, 1> elsewhere{Variant(Text(u"http://www.corvantis.example/other/setup.exe"))};
  invokeByName(*base, u"DownloadLocation", MemberKind::PropertyPut, elsewhere);
  FakeTransfer* installer = &transfer();
  fake.messagePump.onPump = [&] {
    if (&transfer() != installer && transfer().body.empty())
      answerWith(transfer(), "the signature");
  };
  serve("MZ", u"2");
  EXPECT_EQ(transfer().executed, std::vector<Text>{defaultInstallerUrl() + u".minisig"});
  ASSERT_EQ(fake.installerTrust.checks.size(), 1u);
  EXPECT_EQ(fake.installerTrust.checks[0].path, kInstaller);
  EXPECT_EQ(fake.installerTrust.checks[0].signature, "the signature");
  EXPECT_TRUE(transfer().released) << "the signature's transfer is let go";
}

}  // namespace
}  // namespace hv
