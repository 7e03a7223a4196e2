#include "messaging/posix/messaging_host.h"

#include <cstdlib>
#include <iostream>
#include <sstream>

#include "messaging/page_bound_processes.h"
#include "messaging/page_connection.h"
#include "messaging/posix/frame_channel.h"
#include "messaging/posix/input_hangup_watch.h"
#include "posix/composition/posix_platform.h"
#include "posix/composition/usable_environment.h"

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

}  // namespace

int runMessagingHost(const std::vector<std::string>& args, int input, int output) {
  const auto write = [output](std::string_view frame) { return writeAll(output, frame); };
  if (!admitCaller(args, write, std::cerr))
    return 1;
  // Nothing but frames may reach the browser: the host's own messages go to its error stream,
  // which the browser keeps in its log.
  PosixPlatform host(optionsFromEnvironment(), std::cerr);
  InputHangupWatch pageGone(input, std::cerr);
  PageBoundProcesses processes(host.platform().processes, pageGone);
  Platform platform = withProcesses(host.platform(), processes);
  PageConnection connection({platform, write,
                             [&](std::function<void()> task) { host.loop().post(std::move(task)); },
                             [&] { requireReadableStore(host.registryStore()); }, std::cerr});
  FrameChannel channel(host.loop(), input, connection);
  host.loop().runUntil([&] { return connection.ended(); });
  return connection.exitStatus();
}

}  // namespace hv
