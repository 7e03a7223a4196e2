#include "messaging/page_connection.h"

#include <ostream>
#include <string_view>

#include "control/control_layout.h"
#include "control/library_classes.h"
#include "messaging/caller_check.h"
#include "orchestrate/library_catalog.h"
#include "orchestrate/safety_negotiation.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {

bool admitCaller(const std::vector<std::string>& args, const FrameConnection::Write& write,
                 std::ostream& err) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  const auto refusal = callerRefusal(views);
  if (!refusal)
    return true;
  err << "messaging host: refused: " << *refusal << "\n";
  write(frameOf({{"type", "refused"}, {"message", *refusal}}));
  return false;
}

PageConnection::PageConnection(MessagingSystem system)
    : system_(std::move(system)),
      catalog_(libraryCatalog(system_.platform)),
      classes_(system_.platform, catalog_),
      frames_(
          system_.write,
          [this](const std::string& message) {
            session_.handle(message);
            site_.flush();
          },
          [this] { session_.close(); }),
      site_(
          baseLayout().designWidth, baseLayout().designHeight,
          [this](const nlohmann::json& message) { frames_.send(message); }, system_.schedule),
      session_([this] { return openBase(); },
               [this](const nlohmann::json& message) { frames_.send(message); },
               [this](const std::string& line) { log(line); }) {}

void PageConnection::log(const std::string& line) {
  system_.err << line << "\n";
  try {
    system_.platform.eventLog.report(kEventWarning, fromUtf8(line));
  } catch (const ScriptError&) {
    // A log that cannot be written does not end the page's connection.
  }
}

std::shared_ptr<ControlObject> PageConnection::openBase() {
  system_.requireRegistry();
  auto object = registeredClass(system_.platform, catalog_, baseClass().progId)
                    .createInstance({classes_, site_});
  negotiateSafety(*object);
  return object;
}

}  // namespace hv
