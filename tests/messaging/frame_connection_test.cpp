// What the host sends must reach the page: a browser drops the connection on a message over
// 1 MiB, so a longer one goes out as an error answer to the same id.
#include "messaging/frame_connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hv {
namespace {

using nlohmann::json;

// A result whose message is `length` bytes long.
json resultOfLength(std::size_t length) {
  json message = {{"type", "result"}, {"id", 1}, {"value", ""}};
  message["value"] = std::string(length - message.dump().size(), 'v');
  return message;
}

TEST(FrameConnection, SendsNothingLongerThanABrowserTakes) {
  struct Row {
    const char* name;
    json message;
    bool replaced;  // by an error answer to `sentId`
    json sentId;
  };
  const std::string longId(300, 'i');
  const Row rows[] = {
      {"as long as a browser takes", resultOfLength(kLongestOutgoingMessage), false, nullptr},
      {"a byte longer", resultOfLength(kLongestOutgoingMessage + 1), true, 1},
      {"an event", {{"type", "event"}, {"detail", std::string(2 << 20, 'e')}}, true, nullptr},
      {"its long id cut",
       {{"type", "result"}, {"id", longId}, {"value", std::string(2 << 20, 'v')}},
       true,
       std::string(256, 'i')},
  };
  for (const auto& row : rows) {
    std::vector<std::string> frames;
    FrameConnection connection(
        [&](std::string_view frame) {
          frames.emplace_back(frame);
          return true;
        },
        [](const std::string&) {}, [] {});
    connection.send(row.message);
    ASSERT_EQ(frames.size(), 1u) << row.name;
    const json sent = json::parse(frames[0].substr(4));
    if (!row.replaced) {
      EXPECT_EQ(sent, row.message) << row.name;
      continue;
    }
    EXPECT_LE(frames[0].size() - 4, kLongestOutgoingMessage) << row.name;
    EXPECT_EQ(sent["type"], "error") << row.name;
    EXPECT_EQ(sent["id"], row.sentId) << row.name;
  }
}

TEST(FrameConnection, EchoedIdsAreCutOnWholeCharacters) {
  // 255 bytes of "a", then a two-byte character the cut at 256 would split.
  const std::string split = std::string(255, 'a') + "\xC3\xA9" + "tail";
  EXPECT_EQ(echoedId(split), std::string(255, 'a'));
  EXPECT_EQ(echoedId(std::string(256, 'b')), std::string(256, 'b'));
  EXPECT_EQ(echoedId(7), 7);
}

}  // namespace
}  // namespace hv
