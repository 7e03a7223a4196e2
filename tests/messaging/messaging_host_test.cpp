// The messaging host as a browser runs it: started with the caller's arguments, frames through
// pipes, the table of exchanges every messaging host answers alike (message_cases.json, which the
// Windows host's driver runs under Wine).
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "messaging/frame_reader.h"
#include "messaging/message_table.h"
#include "support/host_run.h"
#include "support/loopback_http_server.h"
#include "support/messaging_host_process.h"
#include "support/recording_fifo.h"
#include "support/site_host.h"
#include "support/temp_dir.h"

namespace hv::testing {

// Found by the test framework beside the case it prints.
void PrintTo(const MessageCase& c, std::ostream* out) {
  *out << c.name;
}

namespace {

using nlohmann::json;

const std::string kChromium = "chrome-extension://egafbdheimjkckgieoggiofnmblcbfdm/";
const json kOpen = {{"type", "open"}, {"origin", "https://www.corvantis.example"}};

std::string framed(const json& message) {
  return encodeFrame(message.dump());
}
json result(json id, json value) {
  return {{"type", "result"}, {"id", id}, {"value", value}};
}
const json kOpened = {{"type", "opened"}};

std::string call(int id, const std::string& member, json args) {
  return framed({{"type", "call"}, {"id", id}, {"name", member}, {"args", args}});
}

std::vector<MessageCase> cases() {
  std::ifstream table(HVDETECTOR_SOURCE_DIR "/tests/messaging/message_cases.json");
  std::stringstream text;
  text << table.rdbuf();
  return messageCases(text.str());
}

class MessagingHost : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MessagingHost, AnswersAsTheControlWould) {
  const MessageCase& c = GetParam();
  TempDir store;
  std::filesystem::copy_file(HVDETECTOR_SOURCE_DIR "/examples/registry/halverine.reg",
                             store / "halverine.reg");
  if (c.registered) {
    ASSERT_EQ(runHostWith({"--registry", store.path().string(), "register"}).status, 0);
  }
  TempDir downloads;
  MessagingHostProcess host(c.args, {"HVDETECTOR_REGISTRY=" + store.path().string(),
                                     "TMPDIR=" + downloads.path().string(),
                                     "HVDETECTOR_CONNECT_TO=www.corvantis.example:80:127.0.0.1:9"});
  for (const auto& step : c.steps) {
    host.sendBytes(step.bytes);
    for (const auto& expected : step.answers) {
      const auto answer = host.receive();
      ASSERT_TRUE(answer) << "no answer; expected " << expected.dump();
      EXPECT_TRUE(holds(*answer, expected))
          << "got " << answer->dump().substr(0, 300) << "\nexpected " << expected.dump();
    }
  }
  host.closeInput();
  // Whatever came after the last expected answer is an error about the input's end, or nothing.
  while (const auto more = host.receive())
    EXPECT_TRUE(isInputEndError(*more)) << more->dump().substr(0, 300);
  EXPECT_EQ(host.exitStatus(), c.exitStatus);
}

TEST(MessagingHostPanel, IsSentOnceOpenedWithEveryChildAndThePictureOnce) {
  TempDir store;
  ASSERT_EQ(runHostWith({"--registry", store.path().string(), "register"}).status, 0);
  MessagingHostProcess host({kChromium}, {"HVDETECTOR_REGISTRY=" + store.path().string()});
  host.send(kOpen);
  ASSERT_TRUE(holds(host.receive(true).value_or(nullptr), kOpened));
  const auto panel = host.receive(true).value_or(nullptr);
  ASSERT_TRUE(holds(panel, {{"type", "event"}, {"name", "panel"}}));
  const auto& detail = panel["detail"];
  EXPECT_EQ(detail["caption"], "Download Progress");
  EXPECT_EQ(detail["value"], 0);
  std::vector<std::string> names;
  for (const auto& child : detail["children"]) {
    names.push_back(child["name"]);
    if (child["kind"] == "image") {
      EXPECT_TRUE(child["picture"].get<std::string>().starts_with("data:image/gif;base64,R0lG"));
    }
  }
  EXPECT_EQ(names.size(), 5u);
  host.sendBytes(framed({{"type", "put"},
                         {"id", 1},
                         {"name", "DownloadLocation"},
                         {"value", "http://www.corvantis.example/x.exe"}}));
  EXPECT_TRUE(holds(host.receive().value_or(nullptr), result(1, nullptr)));
  host.closeInput();
  EXPECT_EQ(host.exitStatus(), 0);
}

// A person who runs the host by hand gets text, not a frame; the version is the one a page is told.
TEST(MessagingHostForAPerson, HelpAndVersionPrintTextAndSucceed) {
  struct Row {
    const char* option;
    std::string firstLine;
  };
  const Row rows[] = {
      {"--help", "Usage: hvdetector-messaging-host CALLER-ORIGIN [--parent-window=HANDLE]"},
      {"--version", std::string("hvdetector-messaging-host ") + HVDETECTOR_PROJECT_VERSION},
  };
  for (const auto& row : rows) {
    FILE* out = ::popen((std::string(HVDETECTOR_MESSAGING_HOST) + " " + row.option).c_str(), "r");
    ASSERT_NE(out, nullptr);
    char line[200] = {};
    const bool read = std::fgets(line, sizeof line, out) != nullptr;
    while (std::fgetc(out) != EOF) {
    }
    EXPECT_EQ(::pclose(out), 0) << row.option;
    EXPECT_TRUE(read && std::string(line) == row.firstLine + "\n") << line;
  }
  TempDir store;
  ASSERT_EQ(runHostWith({"--registry", store.path().string(), "register"}).status, 0);
  MessagingHostProcess host({kChromium}, {"HVDETECTOR_REGISTRY=" + store.path().string()});
  host.send(kOpen);
  EXPECT_TRUE(holds(host.receive().value_or(nullptr),
                    {{"type", "opened"}, {"version", HVDETECTOR_PROJECT_VERSION}}));
}

INSTANTIATE_TEST_SUITE_P(Cases, MessagingHost, ::testing::ValuesIn(cases()), [](const auto& info) {
  return info.param.name + "_" + std::to_string(info.index);
});

}  // namespace
}  // namespace hv::testing

namespace hv::testing {
namespace {

// The flows a page drives, against the loopback site: the host started as the browser starts it,
// with the site mapped in through the environment.
class MessagingHostFlows : public ::testing::Test {
 protected:
  MessagingHostFlows() { host.installApplication("/bin/true \"%1\""); }

  MessagingHostProcess start(std::vector<std::string> environment = {}) {
    environment.insert(environment.end(),
                       {"HVDETECTOR_REGISTRY=" + host.store.path().string(),
                        "TMPDIR=" + host.downloads.path().string(),
                        "HVDETECTOR_CONNECT_TO=www.corvantis.example:80:127.0.0.1:" +
                            std::to_string(host.site.port())});
    return MessagingHostProcess({kChromium}, environment);
  }
  std::vector<std::filesystem::path> downloaded() const {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(host.downloads.path()))
      files.push_back(entry.path());
    return files;
  }

  SiteHost host;
};

TEST_F(MessagingHostFlows, LaunchFetchesTheDocumentWithItsPanel) {
  host.site.route("/dl/report.cvx", okReply(std::string(10000, 'c')));
  auto page = start();
  page.send(kOpen);
  ASSERT_TRUE(holds(page.receive().value_or(nullptr), kOpened));
  page.send({{"type", "listen"}, {"name", "progress"}});
  EXPECT_TRUE(holds(page.receive().value_or(nullptr), {{"type", "error"}, {"number", 5}}));
  page.sendBytes(call(1, "LAUNCH", json::array({std::string(kSiteUrl) + "/dl/report.cvx"})));
  EXPECT_TRUE(holds(page.receive().value_or(nullptr), result(1, nullptr)));
  json last = nullptr;
  int progress = 0, panels = 0;
  while (const auto message = page.receive(true)) {
    if (message->value("name", "") == "Progress") {
      ++progress;
      EXPECT_TRUE((*message)["detail"].contains("bytesRemaining"));
    } else if (message->value("name", "") == "panel") {
      ++panels;
      last = (*message)["detail"];
      if (last["value"] == 100)
        break;
    } else {
      ADD_FAILURE() << message->dump().substr(0, 300);
    }
  }
  // Base declares Progress and never raises it, for a page in a browser as for one in the old.
  EXPECT_EQ(progress, 0);
  EXPECT_GE(panels, 1);
  EXPECT_EQ(last["value"], 100);
  page.closeInput();
  EXPECT_EQ(page.exitStatus(), 0);
  ASSERT_EQ(downloaded().size(), 1u);
  EXPECT_EQ(std::filesystem::file_size(downloaded()[0]), 10000u);
}

TEST_F(MessagingHostFlows, APageClosedMidDownloadEndsTheHostAndLeavesNoFile) {
  Reply drip = okReply(std::string(100000, 'd'));
  drip.dripFrom = headLength(drip) + 5000;
  drip.dripBytes = 100;
  drip.dripPause = std::chrono::milliseconds(50);
  host.site.route("/dl/slow.cvx", drip);
  auto page = start();
  page.send(kOpen);
  ASSERT_TRUE(holds(page.receive().value_or(nullptr), kOpened));
  page.sendBytes(call(1, "LAUNCH", json::array({std::string(kSiteUrl) + "/dl/slow.cvx"})));
  EXPECT_TRUE(holds(page.receive().value_or(nullptr), result(1, nullptr)));
  // Under way: the bar has moved.
  while (const auto panel = page.receive(true)) {
    if ((*panel)["detail"].value("value", 0) > 0)
      break;
  }
  page.closeInput();
  EXPECT_EQ(page.exitStatus(2000), 0);
  EXPECT_EQ(downloaded().size(), 0u) << "a partial download is left under a finished name";
}

TEST_F(MessagingHostFlows, APageGoneWhileItsInstallerRunsEndsTheHostAndNotTheInstaller) {
  RecordingFifo started;
  host.serveSignedInstaller(readFile(kRecordingProgram));
  auto page = start({"HVDETECTOR_LINGER_MS=60000"});
  page.send(kOpen);
  ASSERT_TRUE(holds(page.receive().value_or(nullptr), kOpened));
  page.send({{"type", "put"},
             {"id", 0},
             {"name", "DownloadLocation"},
             {"value", std::string(kSiteUrl) + kInstallerPath}});
  EXPECT_TRUE(holds(page.receive().value_or(nullptr), result(0, nullptr)));
  page.sendBytes(call(1, "INSTALL", json::array()));
  EXPECT_TRUE(holds(page.receive().value_or(nullptr), result(1, nullptr)));
  const auto installer = started.await();
  ASSERT_TRUE(installer);
  struct Ender {
    pid_t pid;
    ~Ender() { ::kill(pid, SIGKILL); }
  } ender{installer->pid};
  page.closeInput();
  EXPECT_EQ(page.exitStatus(3000), 0) << "the host still waits for an installer nobody awaits";
  EXPECT_EQ(::kill(installer->pid, 0), 0) << "the installer went with the host";
  EXPECT_EQ(::getpgid(installer->pid), installer->pid);
}

}  // namespace
}  // namespace hv::testing
