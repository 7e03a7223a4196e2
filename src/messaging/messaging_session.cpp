#include "messaging/messaging_session.h"

#include <new>
#include <optional>
#include <set>

#include "control/dispatch.h"
#include "control/dispatch_error.h"
#include "control/library_classes.h"
#include "messaging/browser_identity.h"
#include "messaging/caller_check.h"
#include "messaging/frame_connection.h"
#include "messaging/json_variant.h"
#include "messaging/shown_text.h"
#include "runtime/script_error.h"
#include "runtime/text_compare.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

using nlohmann::json;

// The runtime's own error for a call its dispatch layer refuses, as page script reads it.
std::int32_t refusalOf(HResult code) {
  switch (code) {
    case kDispEBadParamCount:
      return runtime_error::kWrongArgumentCount;
    case kDispETypeMismatch:
      return runtime_error::kTypeMismatch;
    case kDispEOverflow:
      return runtime_error::kOverflow;
    default:
      return runtime_error::kMemberNotSupported;
  }
}

// A message the session cannot take: the runtime's "invalid procedure call" with what is wrong.
struct BadMessage {
  std::string why;
};

const json& field(const json& message, const char* name, json::value_t type, const char* what) {
  const auto found = message.find(name);
  if (found == message.end() || found->type() != type)
    throw BadMessage{std::string("the message has no ") + what};
  return *found;
}

json idOf(const json& message) {
  const auto id = message.find("id");
  if (id == message.end())
    return nullptr;
  if (!id->is_number() && !id->is_string())
    throw BadMessage{"the message's id is neither a number nor a string"};
  return echoedId(*id);
}

MemberKind kindOf(const std::string& type) {
  if (type == "get")
    return MemberKind::PropertyGet;
  if (type == "put")
    return MemberKind::PropertyPut;
  return MemberKind::Method;
}

std::vector<Variant> argumentsOf(const json& message, MemberKind kind) {
  std::vector<Variant> args;
  if (kind == MemberKind::PropertyPut) {
    const auto value = message.find("value");
    if (value == message.end())
      throw BadMessage{"the message has no value to put"};
    args.push_back(variantFromJson(*value));
  } else if (kind == MemberKind::Method && message.contains("args")) {
    for (const auto& arg : field(message, "args", json::value_t::array, "array of arguments"))
      args.push_back(variantFromJson(arg));
  }
  return args;
}

}  // namespace

// The control's events, each sent to the page once it has asked for that one. A page cannot
// break the flow that raises them: nothing thrown here reaches the raiser.
class MessagingSession::EventRelay : public EventSink {
 public:
  explicit EventRelay(Send& send) : send_(send) {}

  // The event's own name, when Base has one by `name`.
  std::optional<std::string_view> listen(std::string_view name) {
    for (const auto& event : baseClass().events) {
      // By its script name, looked up as script hosts look names up.
      if (equalsIgnoringAsciiCase(event.name, name)) {
        listened_.insert(event.id);
        return event.name;
      }
    }
    return std::nullopt;
  }

  void onEvent(DispId id, std::span<Variant> args) override {
    if (!listened_.contains(id))
      return;
    try {
      for (const auto& event : baseClass().events) {
        if (event.id != id)
          continue;
        json detail = json::object();
        for (std::size_t i = 0; i < event.params.size() && i < args.size(); ++i)
          detail[std::string(event.params[i].name)] = jsonFromVariant(args[i]);
        send_({{"type", "event"}, {"name", std::string(event.name)}, {"detail", detail}});
      }
    } catch (...) {
      // The page misses one event; the download it tells of goes on.
    }
  }

 private:
  Send& send_;
  std::set<DispId> listened_;
};

MessagingSession::MessagingSession(OpenBase openBase, Send send, Log log)
    : openBase_(std::move(openBase)),
      send_(std::move(send)),
      log_(std::move(log)),
      relay_(std::make_shared<EventRelay>(send_)) {}

MessagingSession::~MessagingSession() {
  close();
}

void MessagingSession::close() {
  if (base_ && relayCookie_ != 0) {
    if (auto* events = base_->findConnectionPoint(baseClass().eventInterface.current.iid))
      events->unadvise(relayCookie_);
  }
  relayCookie_ = 0;
  base_.reset();
}

void MessagingSession::handle(std::string_view text) {
  if (ended_)
    return;
  const json message = json::parse(text, nullptr, false);
  json id = nullptr;
  try {
    if (!message.is_object())
      throw BadMessage{"the message is not a JSON object in UTF-8"};
    id = idOf(message);
    const std::string& type = field(message, "type", json::value_t::string, "type");
    if (type == "open") {
      if (base_)
        throw BadMessage{"the page is open already"};
      open(message);
    } else if (!base_) {
      throw BadMessage{"the page has not been opened"};
    } else if (type == "get" || type == "put" || type == "call") {
      request(message);
    } else if (type == "listen") {
      listen(id, field(message, "name", json::value_t::string, "event name"));
    } else {
      throw BadMessage{"unknown message type " + shownText(type)};
    }
  } catch (const BadMessage& bad) {
    log_("messaging host: " + bad.why);
    answerError(id, runtime_error::kInvalidProcedureCall, bad.why, "HVDetector");
  }
}

void MessagingSession::open(const json& message) {
  const auto& origin = field(message, "origin", json::value_t::string, "origin");
  if (const auto refusal = pageOriginRefusal(origin.get_ref<const std::string&>()))
    return refuse(*refusal);
  try {
    base_ = openBase_();
  } catch (const std::exception& e) {
    return refuse(e.what());
  }
  if (auto* events = base_->findConnectionPoint(baseClass().eventInterface.current.iid))
    relayCookie_ = events->advise(relay_);
  send_({{"type", "opened"}, {"version", bridgeVersion()}});
}

void MessagingSession::listen(const json& id, const json& name) {
  const auto event = relay_->listen(name.get_ref<const std::string&>());
  if (!event)
    throw BadMessage{"Base has no event " + shownText(name.get_ref<const std::string&>())};
  // Base declares Progress, as the control always did, and never raises it: a page told so
  // follows the panel event instead of waiting for what never comes.
  if (*event == "Progress")
    answerError(id, runtime_error::kInvalidProcedureCall,
                "Base never raises Progress: the panel event carries the bar's value",
                "HVDetector");
}

void MessagingSession::request(const json& message) {
  const json id = idOf(message);
  const std::string& type = message["type"].get_ref<const std::string&>();
  const auto& name = field(message, "name", json::value_t::string, "member name");
  const MemberKind kind = kindOf(type);
  // The call may pump and let the page close the control; the session holds it to the end.
  const auto base = base_;
  try {
    auto args = argumentsOf(message, kind);
    const Variant result =
        invokeByName(*base, fromUtf8(name.get_ref<const std::string&>()), kind, args);
    send_({{"type", "result"}, {"id", id}, {"value", jsonFromVariant(result)}});
  } catch (const ScriptError& e) {
    answerError(id, e.number(), toUtf8(e.description()), toUtf8(e.source()));
  } catch (const DispatchError& e) {
    const std::int32_t refusal = refusalOf(e.code());
    answerError(id, refusal, toUtf8(standardErrorText(refusal)), "");
  } catch (const std::bad_alloc&) {
    answerError(id, runtime_error::kOutOfMemory,
                toUtf8(standardErrorText(runtime_error::kOutOfMemory)), "");
  }
}

void MessagingSession::refuse(const std::string& why) {
  log_("messaging host: refused: " + why);
  send_({{"type", "refused"}, {"message", why}});
  ended_ = true;
}

void MessagingSession::answerError(const json& id, std::int32_t number,
                                   const std::string& description, const std::string& source) {
  send_({{"type", "error"},
         {"id", id},
         {"number", number},
         {"description", description},
         {"source", source}});
}

}  // namespace hv
