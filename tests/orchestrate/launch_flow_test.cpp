// LAUNCH, getRemoteFile and LaunchInternal on fakes: what the user sees, what is logged and which
// command line is started.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "control/module_state.h"
#include "support/base_under_test.h"
#include "support/errors.h"
#include "support/registered_application.h"

namespace hv {
namespace {

using ::testing::ElementsAre;
using testing::FakeProcesses;
using ::testing::IsEmpty;
using testing::kDocumentUrl;

constexpr char16_t kTitle[] = u"Corvantis Halverine Detector";
constexpr char16_t kDownloadFailed[] =
    u"CVX Download failed, please try again by clicking refresh on your browser.";
constexpr char kViewerCommand[] = "\"/opt/corvantis/viewer\" \"%1\"";

class LaunchFlow : public ::testing::Test, protected testing::BaseUnderTest {
 protected:
  LaunchFlow() {
    threadModuleState().logLevel = 0;
    testing::registerCvxType(fake.registry);
    testing::registerOpenCommand(fake.registry, kViewerCommand);
  }

  Variant launch(Text url) {
    std::array<Variant, 1> args{Variant(std::move(url))};
    return invokeByName(*base, u"LAUNCH", MemberKind::Method, args);
  }
  void launchInternal(Text name) {
    std::array<Variant, 1> args{Variant(std::move(name))};
    invokeByName(*base, u"LaunchInternal", MemberKind::Method, args);
  }
  // LAUNCH looks the temporary folder up; its download is left pending.
  void lookUpTempFolder(const std::string& path) {
    fake.tempFolder.path = path;
    launch(kDocumentUrl);
  }

  std::vector<Text> logLines() const {
    std::vector<Text> lines;
    for (const auto& e : fake.eventLog.entries)
      lines.push_back(e.message);
    return lines;
  }
  std::vector<Text> started() const { return fake.processes.commandLines(); }
};

TEST_F(LaunchFlow, DocumentIsFetchedThenOpenedWithTheRegisteredCommand) {
  EXPECT_TRUE(launch(kDocumentUrl).isEmpty());
  ASSERT_EQ(downloadsStarted(), 1u);
  serve("document", u"8");
  ASSERT_EQ(fake.processes.calls.size(), 1u) << "started, never made runnable";
  const auto& call = fake.processes.calls[0];
  EXPECT_EQ(call.kind, FakeProcesses::Kind::Start);
  EXPECT_EQ(call.text, u"\"/opt/corvantis/viewer\" \"/tmp/report63921449486000.cvx\"");
  EXPECT_EQ(call.style, WindowStyle::NormalFocus);
  EXPECT_EQ(logLines().back(), call.text) << "the command line alone, before the start";
  EXPECT_THAT(fake.ui.boxes, IsEmpty());
}

TEST_F(LaunchFlow, RequestLineNamesTheUrlTheFileAndTheFolder) {
  launch(u"http://www.corvantis.example/docs/abc.cvx");
  EXPECT_EQ(logLines().front(),
            u"Request URL http://www.corvantis.example/docs/abc.cvx Remote File abc.cvx to path "
            u"/tmp/");
}

struct LaunchCase {
  const char* name;
  bool cvx;
  bool cvt;
  Text url;
  std::optional<Text> titledBox;  // none: nothing shown
  bool logsRequest;
  bool downloads;
};

void PrintTo(const LaunchCase& c, std::ostream* os) {
  *os << c.name;
}

class LaunchCases : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(LaunchCases, ShowsWhatTheHandlerLetsThroughAndReturnsEmpty) {
  const LaunchCase& c = GetParam();
  testing::BaseUnderTest t;
  threadModuleState().logLevel = 0;
  if (c.cvx)
    testing::registerCvxType(t.fake.registry);
  if (c.cvt)
    testing::registerCvtType(t.fake.registry);
  std::array<Variant, 1> args{Variant(c.url)};
  EXPECT_TRUE(invokeByName(*t.base, u"LAUNCH", MemberKind::Method, args).isEmpty());

  EXPECT_EQ(t.downloadsStarted(), c.downloads ? 1u : 0u);
  if (c.titledBox) {
    ASSERT_EQ(t.fake.ui.boxes.size(), 1u);
    EXPECT_EQ(t.fake.ui.boxes[0].text, *c.titledBox);
    EXPECT_EQ(t.fake.ui.boxes[0].title, Text(kTitle));
  } else {
    EXPECT_THAT(t.fake.ui.boxes, IsEmpty());
  }
  const bool requestLogged = !t.fake.eventLog.entries.empty() &&
                             t.fake.eventLog.entries.front().message.starts_with(u"Request URL ");
  EXPECT_EQ(requestLogged, c.logsRequest);
}

INSTANTIATE_TEST_SUITE_P(
    Launch, LaunchCases,
    ::testing::Values(
        LaunchCase{"BlankUrl", true, true, u"   ", std::nullopt, false, false},
        LaunchCase{"EmptyUrl", true, true, u"", std::nullopt, false, false},
        LaunchCase{"NothingRegistered", false, false, kDocumentUrl, u"Halverine is not installed",
                   false, false},
        LaunchCase{"OnlyCvtRegistered", false, true, kDocumentUrl, std::nullopt, true, true},
        LaunchCase{"FourCharacters", true, false, u"a/cd", u"Malformed URL", false, false},
        LaunchCase{"NoSlash", true, false, u"abcdef", u"Malformed URL", false, false},
        LaunchCase{"OffDomain", true, false, u"http://www.elsewhere.example/a.cvx",
                   u"Invalid domain must be a URL for corvantis.example", true, false},
        LaunchCase{"QueryBeforeTheLastSlashIsDropped", true, false,
                   u"http://www.corvantis.example/get?f=/a.cvx", std::nullopt, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LaunchFlow, BothDocumentTypesAreAlwaysRead) {
  testing::registerCvtType(fake.registry);
  const int opens = fake.registry.opens();
  launch(kDocumentUrl);
  EXPECT_EQ(fake.registry.opens(), opens + 2);
}

TEST_F(LaunchFlow, BlankUrlStillRecordsLaunchMode) {
  downloadInternal(kDocumentUrl);  // no follow-up of its own
  launch(u" ");
  serve("abc", u"3");
  EXPECT_EQ(started().size(), 1u) << "the pending download now ends in the launch step";
}

struct RemoteFileCase {
  const char* name;
  Text url;
  std::int32_t error;
  Text file;
};

void PrintTo(const RemoteFileCase& c, std::ostream* os) {
  *os << c.name;
}

class RemoteFile : public ::testing::TestWithParam<RemoteFileCase> {};

TEST_P(RemoteFile, NamesTheFileOrRaises) {
  const RemoteFileCase& c = GetParam();
  testing::BaseUnderTest t;
  std::array<Variant, 1> args{Variant(c.url)};
  Variant result;
  EXPECT_EQ(testing::errorNumberOf([&] {
              result = invokeByName(*t.base, u"getRemoteFile", MemberKind::Method, args);
            }),
            c.error);
  if (c.error == 0) {
    EXPECT_EQ(result, Variant(c.file));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Launch, RemoteFile,
    ::testing::Values(RemoteFileCase{"FiveCharacters", u"ab/cd", 0, u"cd"},
                      RemoteFileCase{"FourCharacters", u"a/cd", -200001, u""},
                      RemoteFileCase{"SixWithoutSlash", u"abcdef", -200000, u""},
                      RemoteFileCase{"DocumentUrl", kDocumentUrl, 0, u"report.cvx"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LaunchFlow, SpacedOutCommandFromTheRegistryWithAWindowsFolder) {
  testing::registerOpenCommand(fake.registry,
                               "\"C:\\Program Files\\Corvantis\\viewer.exe\" \"%1\"");
  lookUpTempFolder("C:\\Temp\\");
  launchInternal(u"abc63921449486000.cvx");
  EXPECT_THAT(started(), ElementsAre(u"\"C:\\Program Files\\Corvantis\\viewer.exe\" "
                                     u"\"C:\\Temp\\abc63921449486000.cvx\""));
}

TEST_F(LaunchFlow, CommandWithoutPlaceholderIsStartedUnchanged) {
  testing::registerOpenCommand(fake.registry, "/opt/corvantis/viewer --recent");
  launchInternal(u"abc.cvx");
  EXPECT_THAT(started(), ElementsAre(u"/opt/corvantis/viewer --recent"));
}

TEST_F(LaunchFlow, BeforeAnyDownloadTheBareNameIsPassed) {
  launchInternal(u"abc.cvx");
  EXPECT_THAT(started(), ElementsAre(u"\"/opt/corvantis/viewer\" \"abc.cvx\""));
}

TEST_F(LaunchFlow, UnquotedPlaceholderStillPassesAFolderWithBlanksAsOneArgument) {
  testing::registerOpenCommand(fake.registry, "/opt/corvantis/viewer %1");
  lookUpTempFolder("/tmp/my temp/");
  launchInternal(u"abc.cvx");
  EXPECT_THAT(started(), ElementsAre(u"/opt/corvantis/viewer \"/tmp/my temp/abc.cvx\""));
}

TEST_F(LaunchFlow, AfterAFailedDownloadShowsTheUntitledBoxAndStartsNothing) {
  launch(kDocumentUrl);
  fail(404, u"Not Found");
  launchInternal(u"report63921449486000.cvx");
  ASSERT_EQ(fake.ui.boxes.size(), 2u);
  EXPECT_EQ(fake.ui.boxes[1].text, kDownloadFailed);
  EXPECT_EQ(fake.ui.boxes[1].title, std::nullopt);
  EXPECT_THAT(started(), IsEmpty());

  launch(kDocumentUrl);
  serve("abc", u"3");
  launchInternal(u"report63921449486000.cvx");
  EXPECT_EQ(started().size(), 2u) << "after a completed download it starts again";
}

TEST_F(LaunchFlow, NoOpenCommandStartsTheEmptyLineAndTheFailureIsDropped) {
  fake.registry.removeKey(kHkeyClassesRoot, "Corvantis Executable\\Shell\\Open\\Command");
  fake.processes.failure = runtimeError(runtime_error::kInvalidProcedureCall);
  launchInternal(u"abc.cvx");
  EXPECT_THAT(started(), ElementsAre(u""));
  EXPECT_THAT(fake.ui.boxes, IsEmpty());
  EXPECT_EQ(logLines().back(), u"") << "the line is logged before the start fails";
}

struct StartFailureCase {
  const char* name;
  std::int32_t number;
  bool titledBox;
};

void PrintTo(const StartFailureCase& c, std::ostream* os) {
  *os << c.name;
}

class LaunchInternalHandler : public ::testing::TestWithParam<StartFailureCase> {};

TEST_P(LaunchInternalHandler, ShowsOnlyFailuresStrictlyBelowTheLibrarysOwn) {
  testing::BaseUnderTest t;
  testing::registerOpenCommand(t.fake.registry, kViewerCommand);
  t.fake.processes.failure = ScriptError(GetParam().number, u"", u"the start failed");
  std::array<Variant, 1> args{Variant(u"abc.cvx")};
  invokeByName(*t.base, u"LaunchInternal", MemberKind::Method, args);
  ASSERT_EQ(t.fake.ui.boxes.size(), GetParam().titledBox ? 1u : 0u);
  if (GetParam().titledBox) {
    EXPECT_EQ(t.fake.ui.boxes[0].text, u"the start failed");
    EXPECT_EQ(t.fake.ui.boxes[0].title, Text(kTitle));
  }
}

INSTANTIATE_TEST_SUITE_P(Launch, LaunchInternalHandler,
                         ::testing::Values(StartFailureCase{"FileNotFound", 53, false},
                                           StartFailureCase{"PermissionDenied", 70, false},
                                           StartFailureCase{"MalformedUrlNumberItself", -200000,
                                                            false},
                                           StartFailureCase{"JustBelow", -200001, true},
                                           StartFailureCase{"ComponentFailure", -2147467259, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Whatever page script passes, no other file and no other words reach the program.
class RefusedName : public ::testing::TestWithParam<const char16_t*> {};

TEST_P(RefusedName, StartsNothingShowsNothingLogsNothing) {
  testing::BaseUnderTest t;
  threadModuleState().logLevel = 0;
  testing::registerOpenCommand(t.fake.registry, kViewerCommand);
  std::array<Variant, 1> args{Variant(Text(GetParam()))};
  EXPECT_TRUE(invokeByName(*t.base, u"LaunchInternal", MemberKind::Method, args).isEmpty());
  EXPECT_THAT(t.fake.processes.calls, IsEmpty());
  EXPECT_THAT(t.fake.ui.boxes, IsEmpty());
  EXPECT_THAT(t.fake.eventLog.entries, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Launch, RefusedName,
                         ::testing::Values(u"", u".", u"..", u"../../etc/passwd", u"a/b.cvx",
                                           u"a\\b.cvx", u"C:evil.cvx", u"a\"b.cvx",
                                           u"x\" --exec=\"y.cvx", u"a*b.cvx", u"a?b.cvx",
                                           u"a<b.cvx", u"a>b.cvx", u"a|b.cvx", u"a\nb.cvx",
                                           u"a\tb.cvx", u"CON", u"nul.cvx", u"LPT1.txt", u"-x.cvx",
                                           u"--option"));

TEST_F(LaunchFlow, TemporaryFolderHoldingAQuoteStartsNothing) {
  lookUpTempFolder("/tmp/a\"b/");
  launchInternal(u"abc.cvx");
  EXPECT_THAT(started(), IsEmpty());
  EXPECT_THAT(fake.ui.boxes, IsEmpty());
}

}  // namespace
}  // namespace hv
