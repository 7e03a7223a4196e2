// Feeds arbitrary bytes to the messaging host's reading of frames and messages, with a page's
// Base behind it on faked ports. Whatever arrives, every message is answered or refused, nothing
// is thrown out of the session, and no answer is something the protocol does not know.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "control/library_classes.h"
#include "fakes/fake_platform.h"
#include "messaging/frame_reader.h"
#include "messaging/messaging_session.h"
#include "messaging/page_ui_site.h"

namespace hv {
namespace {

void require(bool condition, const char* what) {
  if (condition)
    return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

bool known(const nlohmann::json& message) {
  static const char* kTypes[] = {"opened", "refused", "result", "error", "event"};
  for (const char* type : kTypes) {
    if (message.value("type", "") == type)
      return true;
  }
  return false;
}

}  // namespace
}  // namespace hv

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace hv;
  testing::FakePlatform fake;
  int answers = 0;
  const auto send = [&](const nlohmann::json& message) {
    require(known(message), "an answer of a type the protocol does not have");
    ++answers;
  };
  PageUiSite site(1, 1, send, [](std::function<void()> task) { task(); });
  const CreationContext context{fake.classes, site};
  MessagingSession session(
      [&] { return fake.classes.byClsid(baseClass().clsid).createInstance(context); }, send,
      [](const std::string&) {});
  // The fuzzer's inputs are small: a limit that small inputs can pass, and refuse.
  FrameReader frames(4096);
  frames.feed({data, size});
  while (auto frame = frames.next()) {
    const int before = answers;
    session.handle(*frame);
    const bool quietListen = frame->find("listen") != std::string::npos;
    require(answers > before || quietListen || session.ended(), "a message without an answer");
  }
  return 0;
}
