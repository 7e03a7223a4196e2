#include "messaging/posix/messaging_host.h"

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string_view>

#include "control/control_layout.h"
#include "control/library_classes.h"
#include "host/host_platform.h"
#include "host/registered_control.h"
#include "host/safety_negotiation.h"
#include "host/usable_environment.h"
#include "messaging/caller_check.h"
#include "messaging/messaging_session.h"
#include "messaging/page_ui_site.h"
#include "messaging/posix/frame_channel.h"
#include "orchestrate/library_catalog.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// The browser passes on the environment the user started it with: what hvdetector reads from
// options comes from there. HVDETECTOR_CONNECT_TO holds --connect-to entries, blank-separated.
HostOptions optionsFromEnvironment() {
  HostOptions options;
  if (const char* entries = std::getenv("HVDETECTOR_CONNECT_TO")) {
    std::istringstream words(entries);
    for (std::string entry; words >> entry;)
      options.connectTo.push_back(entry);
  }
  return options;
}

std::vector<std::string_view> viewsOf(const std::vector<std::string>& args) {
  return {args.begin(), args.end()};
}

}  // namespace

int runMessagingHost(const std::vector<std::string>& args, int input, int output) {
  // Another extension learns nothing and starts nothing: not even the registry is read.
  if (const auto refusal = callerRefusal(viewsOf(args))) {
    std::cerr << "messaging host: refused: " << *refusal << "\n";
    writeFrame(output, {{"type", "refused"}, {"message", *refusal}});
    return 1;
  }
  // Nothing but frames may reach the browser: the host's own messages go to its error stream,
  // which the browser keeps in its log.
  CommandContext context{optionsFromEnvironment(), args, std::cerr, std::cerr};
  HostPlatform host(context);
  Platform& platform = host.platform();
  FrameChannel* channel = nullptr;
  const auto send = [&](const nlohmann::json& message) {
    if (channel)
      channel->send(message);
  };
  const auto log = [&](const std::string& line) {
    std::cerr << line << "\n";
    try {
      platform.eventLog.report(kEventWarning, fromUtf8(line));
    } catch (const ScriptError&) {
      // A log that cannot be written does not end the page's connection.
    }
  };

  const auto& layout = baseLayout();
  PageUiSite site(layout.designWidth, layout.designHeight, send,
                  [&](std::function<void()> task) { host.loop().post(std::move(task)); });
  const ClassCatalog catalog = libraryCatalog(platform);
  const RegisteredClasses classes(platform, catalog);
  const auto openBase = [&] {
    requireReadableStore(host.registryStore());
    auto object =
        registeredClass(platform, catalog, baseClass().progId).createInstance({classes, site});
    negotiateSafety(*object);
    return object;
  };
  MessagingSession session(openBase, send, log);
  FrameChannel frames(
      host.loop(), input, output,
      [&](const std::string& message) {
        session.handle(message);
        site.flush();
      },
      [&] { session.close(); });
  channel = &frames;
  host.loop().runUntil([&] { return frames.ended() || session.ended(); });
  channel = nullptr;
  return session.ended() ? 1 : 0;
}

}  // namespace hv
