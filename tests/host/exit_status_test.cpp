#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "support/host_run.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace hv {
namespace {

using ::testing::HasSubstr;
using namespace testing;

enum class Store { Registered, Unregistered, Missing, Malformed };
enum class Temp { Usable, Missing, NotAFolder };

struct ExitCase {
  const char* name;
  Store store;
  Temp temp;
  std::vector<std::string> args;
  int status;
  std::string says;  // on standard output or standard error
};

void PrintTo(const ExitCase& c, std::ostream* os) {
  *os << c.name;
}

// Requests that slip past a check go to a loopback port nobody serves, never to a real host.
const std::string kNowhere = "www.corvantis.example:80:127.0.0.1:1";
const std::string kDocument = "http://www.corvantis.example/dl/report.cvx";
const std::string kElsewhere = "http://www.elsewhere.example/dl/report.cvx";

std::vector<std::string> through(const std::string& entry, const std::string& command) {
  return {"--connect-to", entry, command, kDocument};
}
const std::vector<std::string> kFetch = through(kNowhere, "fetch");
const std::vector<std::string> kDownload = through(kNowhere, "download");

const ExitCase kCases[] = {
    {"Describe", Store::Missing, Temp::Usable, {"describe"}, 0, "library HVDetector"},
    {"Version", Store::Missing, Temp::Usable, {"--version"}, 0, "hvdetector 1.04.0008\n"},
    {"Detect", Store::Registered, Temp::Usable, {"detect"}, 0, "HasCvxMime"},
    {"RegisterCreatesAMissingStore", Store::Missing, Temp::Usable, {"register"}, 0, "registered"},

    {"DetectUnregistered", Store::Unregistered, Temp::Usable, {"detect"}, 1, "not registered"},
    {"FetchElsewhere", Store::Missing, Temp::Usable, {"fetch", kElsewhere}, 1, "-200002"},
    {"DownloadElsewhere", Store::Registered, Temp::Usable, {"download", kElsewhere}, 1, "-200002"},
    {"FetchRefused", Store::Missing, Temp::Usable, kFetch, 1, "hvdetector fetch: error"},

    {"UnknownOption", Store::Registered, Temp::Usable, {"--bogus", "detect"}, 2, "unknown option"},
    {"UnknownCommand", Store::Registered, Temp::Usable, {"frobnicate"}, 2, "unknown command"},
    {"FetchWithoutUrl", Store::Registered, Temp::Usable, {"fetch"}, 2, "exactly one URL"},
    {"ConnectToPortZero", Store::Registered, Temp::Usable,
     through("www.corvantis.example:0:127.0.0.1:80", "fetch"), 2,
     "--connect-to: port \"0\" is not a number from 1 to 65535"},
    {"ConnectToPortTooLarge", Store::Registered, Temp::Usable,
     through("www.corvantis.example:80:127.0.0.1:99999", "fetch"), 2, "port \"99999\""},
    {"ConnectToNoAddress", Store::Registered, Temp::Usable,
     through("www.corvantis.example:80::8080", "fetch"), 2, "no address"},
    {"ConnectToThreeFields", Store::Registered, Temp::Usable,
     through("www.corvantis.example:80:127.0.0.1", "fetch"), 2, "expected HOST:PORT:ADDR:PORT"},
    // A usage mistake is told before anything about the machine is looked at.
    {"UsageBeforeTheStore", Store::Missing, Temp::Missing, {"detect", "--yaml"}, 2, "--json"},

    {"DetectWithoutAStore", Store::Missing, Temp::Usable, {"detect"}, 3, "does not exist"},
    {"DetectOnAMalformedStore", Store::Malformed, Temp::Usable, {"detect"}, 3, "bad.reg:3"},
    {"RegisterOnAMalformedStore", Store::Malformed, Temp::Usable, {"register"}, 3, "bad.reg:3"},
    {"UnregisterOnAMalformedStore", Store::Malformed, Temp::Usable, {"unregister"}, 3, "bad.reg:3"},
    {"DownloadWithoutAStore", Store::Missing, Temp::Usable, kDownload, 3,
     "the registry store does not exist"},
    {"DownloadOnAMalformedStore", Store::Malformed, Temp::Usable, kDownload, 3, "bad.reg:3"},
    {"FetchWithoutATemporaryFolder", Store::Missing, Temp::Missing, kFetch, 3, "is not a folder"},
    {"FetchIntoAFile", Store::Missing, Temp::NotAFolder, kFetch, 3, "is not a folder"},
    {"DownloadWithoutATemporaryFolder", Store::Registered, Temp::Missing, kDownload, 3,
     "is not a folder"},
};

class ExitStatusTest : public ::testing::TestWithParam<ExitCase> {
 protected:
  std::string arrangeStore(Store store) {
    const auto folder = dir / "store";
    if (store == Store::Missing)
      return folder.string();
    std::filesystem::create_directory(folder);
    if (store == Store::Malformed)
      writeFile(folder / "bad.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=dword:xyz\n");
    if (store == Store::Registered) {
      EXPECT_EQ(runHostWith({"--registry", folder.string(), "register"}).status, 0);
    }
    return folder.string();
  }

  std::string arrangeTemp(Temp temp) {
    const auto folder = dir / "tmp";
    if (temp == Temp::Usable)
      std::filesystem::create_directory(folder);
    else if (temp == Temp::NotAFolder)
      writeFile(folder, "");
    return folder.string();
  }

  TempDir dir;
};

TEST_P(ExitStatusTest, EachOutcomeHasItsOwnStatus) {
  const auto& c = GetParam();
  std::vector<std::string> args{"--registry", arrangeStore(c.store), "--boxes", "print"};
  ScopedEnv tmpdir("TMPDIR", arrangeTemp(c.temp));
  args.insert(args.end(), c.args.begin(), c.args.end());
  const HostRun run = runHostWith(args);
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_THAT(run.out + run.err, HasSubstr(c.says));
}

INSTANTIATE_TEST_SUITE_P(Commands, ExitStatusTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExitStatus, NoStoreAnywhereIsTheEnvironment) {
  ScopedEnv store("HVDETECTOR_REGISTRY", "");
  ScopedEnv config("XDG_CONFIG_HOME", "");
  ScopedEnv home("HOME", "");
  const HostRun run = runHostWith({"detect"});
  EXPECT_EQ(run.status, 3);
  EXPECT_THAT(run.err, HasSubstr("no registry store"));
}

}  // namespace
}  // namespace hv
