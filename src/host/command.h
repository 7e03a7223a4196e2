#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "posix/composition/host_options.h"

namespace hv {

// What every host command gets: its own arguments and the streams to talk on.
struct CommandContext {
  HostOptions options;
  std::vector<std::string> args;
  std::ostream& out;
  std::ostream& err;
};

struct Command {
  std::string_view name;
  std::string_view synopsis;  // arguments, for the usage line
  std::string_view summary;   // one line for --help
  int (*run)(CommandContext& context);
};

// Reports a usage mistake on err and returns the exit status for it.
int usageError(CommandContext& context, std::string_view message);

// An input from the command line (a path, a URL, an argument) as a message repeats it: in double
// quotes, escaped and cut as text from a server is, so that what it holds never reaches the
// terminal as a command and a line of megabytes still gives a one-line message.
std::string echoed(std::string_view input);

int describeCommand(CommandContext& context);
int detectCommand(CommandContext& context);
int registerCommand(CommandContext& context);
int unregisterCommand(CommandContext& context);
int registerBrowsersCommand(CommandContext& context);
int unregisterBrowsersCommand(CommandContext& context);
int fetchCommand(CommandContext& context);
int downloadCommand(CommandContext& context);
int launchCommand(CommandContext& context);
int launchInternalCommand(CommandContext& context);
int installCommand(CommandContext& context);
int panelCommand(CommandContext& context);

}  // namespace hv
