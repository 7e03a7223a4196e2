#include <gtest/gtest.h>

#include <functional>

#include "control/dispatch.h"
#include "control/dispatch_error.h"
#include "fakes/fake_platform.h"
#include "orchestrate/base.h"

namespace hv {
namespace {

using testing::FakeRegistry;

constexpr char kCvxKey[] = "MIME\\Database\\Content Type\\application/x-corvantis-x-file";
constexpr char kCvtKey[] = "MIME\\Database\\Content Type\\text/x-corvantis-x-file";
constexpr char kParticipantKey[] = "Software\\Corvantis\\Corvantis Participant Halverine";
constexpr char kSupervisorKey[] = "Software\\Corvantis\\Corvantis Supervisor Halverine";
constexpr char kAutoOpenKey[] =
    "Software\\Microsoft\\Windows\\Shell\\AttachmentExecute\\"
    "{0002DF01-0000-0000-C000-000000000046}";

Variant readProperty(Base& base, TextView name) {
  return invokeByName(base, name, MemberKind::PropertyGet, {});
}

struct DetectionCase {
  const char* name;
  TextView property;
  std::function<void(FakeRegistry&)> store;
  bool expected;
};

void PrintTo(const DetectionCase& c, std::ostream* os) {
  *os << c.name;
}

class DetectionPropertyTest : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(DetectionPropertyTest, AnswersFromTheRegistryAsAScriptBoolean) {
  const auto& c = GetParam();
  testing::FakePlatform fake;
  c.store(fake.registry);
  Base base(fake.platform, fake.context);
  EXPECT_EQ(readProperty(base, c.property), Variant::boolean(c.expected));
  EXPECT_EQ(fake.registry.openHandles(), 0u);
}

const DetectionCase kDetectionCases[] = {
    {"CvxRegistered", u"HasCvxMime",
     [](FakeRegistry& r) { r.setString(kHkeyClassesRoot, kCvxKey, "Extension", ".cvx"); }, true},
    {"CvxMissingKey", u"HasCvxMime", [](FakeRegistry&) {}, false},
    {"CvxInCapitals", u"HasCvxMime",
     [](FakeRegistry& r) { r.setString(kHkeyClassesRoot, kCvxKey, "Extension", ".CVX"); }, false},
    {"CvxWithTrailingSpace", u"HasCvxMime",
     [](FakeRegistry& r) { r.setString(kHkeyClassesRoot, kCvxKey, "Extension", ".cvx "); }, false},
    {"CvxUnderTheOtherType", u"HasCvxMime",
     [](FakeRegistry& r) { r.setString(kHkeyClassesRoot, kCvtKey, "Extension", ".cvx"); }, false},
    {"CvtRegistered", u"HasCvtMime",
     [](FakeRegistry& r) { r.setString(kHkeyClassesRoot, kCvtKey, "Extension", ".cvt"); }, true},
    {"CvtWithLeadingSpace", u"HasCvtMime",
     [](FakeRegistry& r) { r.setString(kHkeyClassesRoot, kCvtKey, "Extension", " .cvt"); }, false},
    {"ParticipantAnyFolder", u"HasParticipantHalverine",
     [](FakeRegistry& r) {
       r.setString(kHkeyLocalMachine, kParticipantKey, "Install_Dir", "Z:\\nowhere");
     },
     true},
    {"ParticipantInstallDirAsNumber", u"HasParticipantHalverine",
     [](FakeRegistry& r) {
       r.setValue(kHkeyLocalMachine, kParticipantKey, "Install_Dir", kRegDword, {1, 0, 0, 0});
     },
     true},
    {"ParticipantEmptyInstallDir", u"HasParticipantHalverine",
     [](FakeRegistry& r) { r.setString(kHkeyLocalMachine, kParticipantKey, "Install_Dir", ""); },
     false},
    {"ParticipantNotInstalledSupervisorIs", u"HasParticipantHalverine",
     [](FakeRegistry& r) {
       r.setString(kHkeyLocalMachine, kSupervisorKey, "Install_Dir", "C:\\Sup");
     },
     false},
    {"SupervisorInstalled", u"HasSupervisorHV",
     [](FakeRegistry& r) {
       r.setString(kHkeyLocalMachine, kSupervisorKey, "Install_Dir", "C:\\Sup");
     },
     true},
    {"SupervisorUnderCurrentUserOnly", u"HasSupervisorHV",
     [](FakeRegistry& r) {
       r.setString(kHkeyCurrentUser, kSupervisorKey, "Install_Dir", "C:\\Sup");
     },
     false},
    {"AutoOpenPresentWithoutData", u"HasIEAutoOpen",
     [](FakeRegistry& r) {
       r.setValue(kHkeyCurrentUser, kAutoOpenKey, "Corvantis Executable", kRegNone, {});
     },
     true},
    {"AutoOpenUnderTheMachineHive", u"HasIEAutoOpen",
     [](FakeRegistry& r) {
       r.setValue(kHkeyLocalMachine, kAutoOpenKey, "Corvantis Executable", kRegNone, {});
     },
     false},
    {"AutoOpenUnderAnotherClass", u"HasIEAutoOpen",
     [](FakeRegistry& r) {
       r.setValue(kHkeyCurrentUser,
                  "Software\\Microsoft\\Windows\\Shell\\AttachmentExecute\\"
                  "{00000000-0000-0000-C000-000000000046}",
                  "Corvantis Executable", kRegNone, {});
     },
     false},
};

INSTANTIATE_TEST_SUITE_P(Cases, DetectionPropertyTest, ::testing::ValuesIn(kDetectionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BaseDetection, EveryReadSeesTheCurrentRegistryAndRecordsTheFolderFound) {
  testing::FakePlatform fake;
  Base base(fake.platform, fake.context);
  EXPECT_EQ(readProperty(base, u"HasParticipantHalverine"), Variant::boolean(false));
  EXPECT_EQ(base.participantInstallDirectory(), u"");

  fake.registry.setString(kHkeyLocalMachine, kParticipantKey, "Install_Dir", "C:\\Part");
  EXPECT_EQ(readProperty(base, u"HasParticipantHalverine"), Variant::boolean(true));
  EXPECT_EQ(base.participantInstallDirectory(), u"C:\\Part");

  fake.registry.setString(kHkeyLocalMachine, kParticipantKey, "Install_Dir", "");
  EXPECT_EQ(readProperty(base, u"HasParticipantHalverine"), Variant::boolean(false));
  EXPECT_EQ(base.participantInstallDirectory(), u"");

  fake.registry.setString(kHkeyLocalMachine, kSupervisorKey, "Install_Dir", "C:\\Sup");
  EXPECT_EQ(readProperty(base, u"HasSupervisorHV"), Variant::boolean(true));
  EXPECT_EQ(base.supervisorInstallDirectory(), u"C:\\Sup");
  fake.registry.removeKey(kHkeyLocalMachine, kSupervisorKey);
  EXPECT_EQ(readProperty(base, u"HasSupervisorHV"), Variant::boolean(false));
  EXPECT_EQ(base.supervisorInstallDirectory(), u"");
}

TEST(BaseDetection, PropertiesCannotBeWritten) {
  testing::FakePlatform fake;
  Base base(fake.platform, fake.context);
  for (TextView name : {u"HasCvxMime", u"HasCvtMime", u"HasParticipantHalverine",
                        u"HasSupervisorHV", u"HasIEAutoOpen"}) {
    std::vector<Variant> args{Variant::boolean(true)};
    EXPECT_THROW(invokeByName(base, name, MemberKind::PropertyPut, args), DispatchError);
  }
}

}  // namespace
}  // namespace hv
