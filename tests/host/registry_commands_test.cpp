#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>

#include "posix/composition/registry_location.h"
#include "support/host_run.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using testing::HostRun;
using testing::TempDir;
using testing::writeFile;

HostRun host(std::vector<std::string> args) {
  return testing::runHostWith(std::move(args));
}

const std::string kInstalled =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CLASSES_ROOT\\MIME\\Database\\Content Type\\application/x-corvantis-x-file]\r\n"
    "\"Extension\"=\".cvx\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Corvantis\\Corvantis Supervisor Halverine]\r\n"
    "\"Install_Dir\"=\"C:\\\\Sup \\\"HV\\\"\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\Shell\\AttachmentExecute\\"
    "{0002DF01-0000-0000-C000-000000000046}]\r\n"
    "\"Corvantis Executable\"=hex(0):\r\n";

TEST(RegistryCommands, DetectNeedsRegistrationAndReadsThePropertiesThroughBase) {
  TempDir dir;
  writeFile(dir / "installed.reg", kInstalled);
  const std::string store = "--registry=" + dir.path().string();

  const HostRun unregistered = host({store, "detect"});
  EXPECT_EQ(unregistered.status, 1);
  EXPECT_NE(unregistered.err.find("class not registered"), std::string::npos) << unregistered.err;

  ASSERT_EQ(host({store, "register"}).status, 0);
  const HostRun json = host({store, "detect", "--json"});
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out,
            "{\"HasCvxMime\": true, \"HasCvtMime\": false, \"HasParticipantHalverine\": false, "
            "\"HasSupervisorHV\": true, \"HasIEAutoOpen\": true, \"participantInstallDir\": \"\", "
            "\"supervisorInstallDir\": \"C:\\\\Sup \\\"HV\\\"\"}\n");
  const HostRun people = host({"--registry", dir.path().string(), "detect"});
  EXPECT_EQ(people.status, 0);
  EXPECT_NE(people.out.find("HasSupervisorHV           True\n"), std::string::npos) << people.out;
  EXPECT_NE(people.out.find("participant install dir   (none)\n"), std::string::npos);

  ASSERT_EQ(host({store, "unregister"}).status, 0);
  EXPECT_EQ(host({store, "detect"}).status, 1);
  EXPECT_EQ(testing::readFile(dir / "installed.reg"), kInstalled);
}

// A folder from the store reaches the terminal as text, never as a terminal command.
TEST(RegistryCommands, DetectEscapesControlAndReorderingCharactersOfAFolder) {
  TempDir dir;
  writeFile(dir / "installed.reg",
            kInstalled +
                "[HKEY_LOCAL_MACHINE\\Software\\Corvantis\\Corvantis Participant Halverine]\r\n"
                "\"Install_Dir\"=\"C:\\\\P\x1b[2J\xc2\x9b\xe2\x80\xae\"\r\n");
  const std::string store = "--registry=" + dir.path().string();
  ASSERT_EQ(host({store, "register"}).status, 0);
  const HostRun people = host({store, "detect"});
  EXPECT_NE(people.out.find("participant install dir   C:\\P\\x1b[2J\\x9b\\u202e\n"),
            std::string::npos)
      << people.out;
  const HostRun json = host({store, "detect", "--json"});
  EXPECT_NE(json.out.find("\"participantInstallDir\": \"C:\\\\P\\u001b[2J\\u009b\\u202e\""),
            std::string::npos)
      << json.out;
}

TEST(RegistryCommands, AMalformedStoreIsReportedWithFileAndLine) {
  TempDir dir;
  writeFile(dir / "bad.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=dword:xyz\n");
  const HostRun detect = host({"--registry", dir.path().string(), "detect"});
  EXPECT_EQ(detect.status, 3);
  EXPECT_NE(detect.err.find("bad.reg:3: bad dword"), std::string::npos) << detect.err;
  const HostRun reg = host({"--registry", dir.path().string(), "register"});
  EXPECT_EQ(reg.status, 3);
  EXPECT_NE(reg.err.find("bad.reg:3"), std::string::npos) << reg.err;
}

struct StorePathCase {
  const char* name;
  std::function<std::filesystem::path(const TempDir&)> arrange;
  std::string detectSays;
  int registerStatus;
  std::string registerSays;
};

void PrintTo(const StorePathCase& c, std::ostream* os) {
  *os << c.name;
}

const StorePathCase kStorePaths[] = {
    {"Fifo",
     [](const TempDir& d) {
       ::mkfifo((d / "pipe.reg").c_str(), 0644);
       return d / "pipe.reg";
     },
     "pipe.reg: is not a regular file but a FIFO", 3, "cannot be read, nothing written: "},
    {"LinkToADevice",
     [](const TempDir& d) {
       std::filesystem::create_symlink("/dev/zero", d / "zero.reg");
       return d / "zero.reg";
     },
     "zero.reg: is not a regular file but a character device", 3, "character device"},
    {"MissingFolder", [](const TempDir& d) { return d / "new" / "registry"; },
     "registry: the registry store does not exist", 0, "hvdetector-registration.reg"},
    {"MissingFile", [](const TempDir& d) { return d / "new" / "store.reg"; },
     "store.reg: the registry store does not exist", 0, "store.reg"},
};

class StorePathTest : public ::testing::TestWithParam<StorePathCase> {};

// detect names what is wrong with the store instead of only reporting the classes missing;
// register makes a store that does not exist yet and refuses one it cannot read, never hanging.
TEST_P(StorePathTest, DetectSaysWhatIsWrongAndRegisterCreatesOnlyWhatIsMissing) {
  const auto& c = GetParam();
  TempDir dir;
  const std::string store = "--registry=" + c.arrange(dir).string();
  ::alarm(30);
  const HostRun detect = host({store, "detect"});
  const HostRun reg = host({store, "register"});
  ::alarm(0);
  EXPECT_EQ(detect.status, 3);
  EXPECT_NE(detect.err.find(c.detectSays), std::string::npos) << detect.err;
  EXPECT_EQ(reg.status, c.registerStatus) << reg.err;
  EXPECT_NE((reg.out + reg.err).find(c.registerSays), std::string::npos) << reg.out << reg.err;
  if (c.registerStatus == 0) {
    EXPECT_EQ(host({store, "detect"}).status, 0);
  }
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().string().find(".lock"), std::string::npos) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Cases, StorePathTest, ::testing::ValuesIn(kStorePaths),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RegistryCommands, UsageMistakes) {
  EXPECT_EQ(host({"--registry", "", "detect"}).status, 2);
  EXPECT_EQ(host({"--registry"}).status, 2);
  EXPECT_EQ(host({"--registry", "/nonexistent", "detect", "--yaml"}).status, 2);
  EXPECT_EQ(host({"--registry", "/nonexistent", "register", "extra"}).status, 2);
}

// Sets or clears an environment variable for one test and puts it back afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name))
      old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(RegistryLocation, OptionThenVariableThenThePerUserFolder) {
  struct Case {
    std::optional<std::string> option;
    const char* variable;
    const char* xdg;
    const char* home;
    std::string expected;
  };
  const Case cases[] = {
      {"/from/option", "/from/variable", "/xdg", "/home/u", "/from/option"},
      {std::nullopt, "/from/variable", "/xdg", "/home/u", "/from/variable"},
      {std::nullopt, "", "/xdg", "/home/u", "/xdg/hvdetector/registry"},
      {std::nullopt, nullptr, "relative/xdg", "/home/u", "/home/u/.config/hvdetector/registry"},
      {std::nullopt, nullptr, nullptr, "/home/u", "/home/u/.config/hvdetector/registry"},
  };
  for (const auto& c : cases) {
    ScopedVariable variable("HVDETECTOR_REGISTRY", c.variable);
    ScopedVariable xdg("XDG_CONFIG_HOME", c.xdg);
    ScopedVariable home("HOME", c.home);
    EXPECT_EQ(registryLocation(HostOptions{.registry = c.option, .log = ""}), c.expected);
  }
}

}  // namespace
}  // namespace hv
