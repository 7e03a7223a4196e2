// register-browsers writes a manifest only for the browsers this user has (their configuration
// folder exists) and says which; unregister-browsers takes away the folders it left empty.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/host_run.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace hv::testing {
namespace {

namespace fs = std::filesystem;

TEST(BrowserRegistration, WritesForTheBrowsersThereAndTakesAwayWhatItLeftEmpty) {
  TempDir home;
  ScopedEnv homeVariable("HOME", home.path().string());
  ScopedEnv configVariable("XDG_CONFIG_HOME", (home / ".config").string());
  EXPECT_NE(runHostWith({"register-browsers"}).status, 0) << "no browser at all is a failure";

  fs::create_directories(home / ".config/chromium");
  fs::create_directories(home / ".config/BraveSoftware/Brave-Browser");
  fs::create_directories(home / ".mozilla/native-messaging-hosts");
  writeFile(home / ".mozilla/native-messaging-hosts/another.json", "{}");
  const HostRun registered = runHostWith({"register-browsers"});
  ASSERT_EQ(registered.status, 0) << registered.err;
  const std::string manifest = "com.corvantis.hvdetector.json";
  struct Row {
    fs::path folder;
    const char* said;
    bool written;
  };
  const Row rows[] = {
      {home / ".config/chromium/NativeMessagingHosts", "Chromium: /", true},
      {home / ".config/BraveSoftware/Brave-Browser/NativeMessagingHosts", "Brave: /", true},
      {home / ".mozilla/native-messaging-hosts", "Firefox: /", true},
      {home / ".config/google-chrome/NativeMessagingHosts", "Google Chrome: not found", false},
      {home / ".config/microsoft-edge/NativeMessagingHosts", "Microsoft Edge: not found", false},
      {home / ".config/vivaldi/NativeMessagingHosts", "Vivaldi: not found", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(fs::exists(row.folder / manifest), row.written) << row.folder;
    EXPECT_NE(registered.out.find(row.said), std::string::npos) << registered.out;
  }
  const auto chromium = nlohmann::json::parse(readFile(rows[0].folder / manifest));
  EXPECT_EQ(chromium["allowed_origins"],
            nlohmann::json::array({"chrome-extension://egafbdheimjkckgieoggiofnmblcbfdm/"}));

  ASSERT_EQ(runHostWith({"unregister-browsers"}).status, 0);
  EXPECT_FALSE(fs::exists(rows[0].folder)) << "the folder register-browsers made stays";
  EXPECT_TRUE(fs::exists(home / ".config/chromium"));
  EXPECT_TRUE(fs::exists(rows[2].folder / "another.json"));
  EXPECT_FALSE(fs::exists(rows[2].folder / manifest));
}

}  // namespace
}  // namespace hv::testing
