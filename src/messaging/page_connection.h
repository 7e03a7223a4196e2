#pragma once

#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "control/class_factory.h"
#include "messaging/frame_connection.h"
#include "messaging/messaging_session.h"
#include "messaging/page_ui_site.h"
#include "orchestrate/registered_control.h"
#include "platform/platform.h"

namespace hv {

// What a messaging host brings from its system to serve a page.
struct MessagingSystem {
  Platform& platform;
  FrameConnection::Write write;
  // Runs a task when the loop next turns.
  PageUiSite::Schedule schedule;
  // Throws with the reason when the registry cannot be read, before Base is looked for in it.
  std::function<void()> requireRegistry;
  // The host's own messages: never standard output, which carries the frames.
  std::ostream& err;
};

// Whether the browser started the host for our own extension. When not, the browser gets a
// refused frame and the reason goes to `err`: another extension learns nothing and starts
// nothing, not even the registry is read.
bool admitCaller(const std::vector<std::string>& args, const FrameConnection::Write& write,
                 std::ostream& err);

// One page served over one connection: frames in and out, the page's Base made from its
// registered class, its panel and boxes sent as events.
class PageConnection {
 public:
  explicit PageConnection(MessagingSystem system);
  PageConnection(const PageConnection&) = delete;
  PageConnection& operator=(const PageConnection&) = delete;

  void received(std::span<const std::uint8_t> bytes) { frames_.received(bytes); }
  void inputEnded() { frames_.inputEnded(); }
  bool ended() const { return frames_.ended() || session_.ended(); }
  // 0 when the connection ended, 1 when the page was refused.
  int exitStatus() const { return session_.ended() ? 1 : 0; }

 private:
  void log(const std::string& line);
  std::shared_ptr<ControlObject> openBase();

  MessagingSystem system_;
  ClassCatalog catalog_;
  RegisteredClasses classes_;
  FrameConnection frames_;
  PageUiSite site_;
  MessagingSession session_;
};

}  // namespace hv
