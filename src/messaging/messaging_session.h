#pragma once

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "control/control_object.h"

namespace hv {

// One connection between our extension and the host, for one page: the page is let in by the
// origin the extension reports, then gets one Base and speaks to nothing but its script members.
// Every message is answered; none can make the session run anything the members do not.
class MessagingSession {
 public:
  using Send = std::function<void(const nlohmann::json& message)>;
  // Makes the page's Base, safe for scripting; throws with the reason it cannot be had.
  using OpenBase = std::function<std::shared_ptr<ControlObject>()>;
  // Where each refusal is noted for whoever looks after the machine.
  using Log = std::function<void(const std::string& line)>;

  MessagingSession(OpenBase openBase, Send send, Log log);
  ~MessagingSession();

  // Handles one frame's message.
  void handle(std::string_view message);
  // Once the page was refused, nothing more is taken.
  bool ended() const { return ended_; }
  // The page has gone: its Base goes at once, which cancels a download still running, even from
  // inside the pump of one.
  void close();

 private:
  class EventRelay;

  void open(const nlohmann::json& message);
  void listen(const nlohmann::json& id, const nlohmann::json& name);
  void request(const nlohmann::json& message);
  void refuse(const std::string& why);
  void answerError(const nlohmann::json& id, std::int32_t number, const std::string& description,
                   const std::string& source);

  OpenBase openBase_;
  Send send_;
  Log log_;
  std::shared_ptr<ControlObject> base_;
  std::shared_ptr<EventRelay> relay_;
  std::uint32_t relayCookie_ = 0;
  bool ended_ = false;
};

}  // namespace hv
