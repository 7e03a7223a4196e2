#include "host/cli.h"

#include <algorithm>
#include <exception>
#include <ios>
#include <iterator>
#include <ostream>
#include <stdexcept>

#include "host/command.h"
#include "host/exit_status.h"
#include "host/flow_run.h"
#include "host/help_text.h"
#include "host/version_text.h"
#include "posix/composition/environment_error.h"
#include "posix/composition/host_network.h"
#include "posix/posix_code_page.h"
#include "runtime/printable_text.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr Command kCommands[] = {
    {"describe", "", "print the type library: classes, identifiers, members, events, registration",
     describeCommand},
    {"detect", "[--json]", "read the five detection properties of Base from the registry store",
     detectCommand},
    {"register", "", "register the type library and both classes in the registry store",
     registerCommand},
    {"unregister", "", "remove what register wrote from the registry store", unregisterCommand},
    {"register-browsers", "[--profile DIR]",
     "let each browser this user has (Chromium, Chrome, Edge, Brave, Vivaldi, Firefox) start "
     "the messaging host for the vendor's pages (only Chromium's user-data folder DIR with "
     "--profile)",
     registerBrowsersCommand},
    {"unregister-browsers", "[--profile DIR]", "remove what register-browsers wrote",
     unregisterBrowsersCommand},
    {"fetch", "URL", "download URL into the temporary folder as a page's downloader would",
     fetchCommand},
    {"download", "URL", "download URL through a page's Base, its panel live, and print the file",
     downloadCommand},
    {"launch", "URL", "fetch the document at URL through a page's Base and open it", launchCommand},
    {"launch-internal", "NAME",
     "open NAME with the registered open command, as Base does after a download",
     launchInternalCommand},
    {"install", "[--location URL]",
     "fetch the installer (from URL when given) through a page's Base and run it", installCommand},
    {"panel", "--svg FILE [--value N]",
     "draw Base's panel to scale as SVG, its bar at N (0 to 100, default 0); - is stdout",
     panelCommand},
};

// Options taking a value are written "--name VALUE" or "--name=VALUE". `apply` throws
// std::invalid_argument for a value it cannot take.
struct Option {
  std::string_view name;
  std::string_view valueName;  // empty: the option takes no value
  std::string_view summary;
  void (*apply)(HostOptions& options, const std::string& value);
};

constexpr Option kOptions[] = {
    {"--help", "", "show this help and exit", nullptr},
    {"--version", "", "show the version, the libcurl it runs with and its site domain, and exit",
     nullptr},
    {"--registry", "PATH", "the registry store: a .reg file or a folder of them",
     [](HostOptions& options, const std::string& value) {
       if (value.empty())
         throw std::invalid_argument("needs a path");
       options.registry = value;
     }},
    {"--log", "stderr|FILE", "send the library's log lines to stderr or append them to FILE",
     [](HostOptions& options, const std::string& value) {
       if (value.empty())
         throw std::invalid_argument("needs stderr or a file name");
       options.log = value;
     }},
    {"--connect-to", "H:P:A:P", "send requests for host H port P to address A port P (repeatable)",
     [](HostOptions& options, const std::string& value) {
       checkConnectTo(value);
       options.connectTo.push_back(value);
     }},
    {"--boxes", "wait|print", "wait for Enter at each message box, or print it and go on",
     [](HostOptions& options, const std::string& value) {
       if (value != "wait" && value != "print")
         throw std::invalid_argument("needs wait or print");
       options.boxes = value;
     }},
    {"--timeout", "S",
     "give up a fetch, download, launch or install not done within S seconds (more than 0, at "
     "most 1000000000)",
     [](HostOptions& options, const std::string& value) { options.timeout = parseTimeout(value); }},
};

void printHelp(std::ostream& out) {
  out << "Usage: hvdetector [OPTION]... COMMAND [ARGUMENT]...\n"
         "Hosts the HVDetector controls on this machine as a browser page would: creates them,\n"
         "negotiates their safety, calls their members by name and shows what they show.\n"
         "The registry store is --registry PATH, else $HVDETECTOR_REGISTRY, else\n"
         "$XDG_CONFIG_HOME/hvdetector/registry (~/.config when XDG_CONFIG_HOME is not set).\n"
         "\n"
         "Commands:\n";
  for (const auto& c : kCommands)
    printHelpRow(out, c.name, c.synopsis, c.summary);
  // Options before the exit statuses, as a manual page orders its sections.
  out << "\nOptions:\n";
  for (const auto& o : kOptions)
    printHelpRow(out, o.name, o.valueName, o.summary);
  out << "\n";
  printExitStatuses(out);
  out << "\n";
  printInstallerStatuses(out);
  out << "\n";
  printEnvironmentAndFiles(out);
}

// What the host prints is its result: a write that fails, while a step runs or at the final
// flush, fails the run with the reason, whatever the step itself returned.
template <typename Step>
int deliver(const std::string& who, CommandContext& context, Step step) {
  try {
    const int status = step();
    context.out.flush();
    return status;
  } catch (const std::ios_base::failure&) {
    context.err << who << ": cannot write standard output\n";
  } catch (const EnvironmentError& e) {
    context.err << who << ": " << e.what() << "\n";
    return kExitEnvironment;
  } catch (const std::exception& e) {
    context.err << who << ": " << e.what() << "\n";
  }
  return kExitFlowFailure;
}

// The option of the whole run `arg` names, with or without "=VALUE"; null when it names none.
const Option* runOption(const std::string& arg) {
  const std::string name = arg.substr(0, arg.find('='));
  for (const auto& o : kOptions) {
    if (o.name == name)
      return &o;
  }
  return nullptr;
}

int runCommandLine(const std::vector<std::string>& argv, CommandContext& context) {
  std::size_t i = 1;
  for (; i < argv.size() && argv[i].starts_with("-"); ++i) {
    const bool help = argv[i] == "--help" || argv[i] == "-h";
    if ((help || argv[i] == "--version") && i + 1 < argv.size())
      return usageError(context, argv[i] + " takes no arguments, not " + echoed(argv[i + 1]));
    if (help) {
      return deliver("hvdetector", context, [&] {
        printHelp(context.out);
        return 0;
      });
    }
    if (argv[i] == "--version") {
      return deliver("hvdetector", context, [&] {
        printVersion(context.out);
        return kExitSuccess;
      });
    }
    const auto equals = argv[i].find('=');
    const std::string name = argv[i].substr(0, equals);
    const Option* option = runOption(argv[i]);
    if (option == nullptr)
      return usageError(context, "unknown option " + echoed(name));
    std::string value;
    if (!option->valueName.empty()) {
      if (equals != std::string::npos) {
        value = argv[i].substr(equals + 1);
      } else if (i + 1 < argv.size()) {
        value = argv[++i];
      } else {
        return usageError(context, name + " needs a value");
      }
    } else if (equals != std::string::npos) {
      return usageError(context, name + " takes no value");
    }
    try {
      option->apply(context.options, value);
    } catch (const std::invalid_argument& e) {
      return usageError(context, name + ": " + e.what());
    }
  }
  if (i == argv.size())
    return usageError(context, "no command given");
  const std::string& name = argv[i];
  context.args.assign(argv.begin() + static_cast<long>(i) + 1, argv.end());
  const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& c) { return c.name == name; });
  if (command == std::end(kCommands))
    return usageError(context, "unknown command " + echoed(name));
  for (const auto& arg : context.args) {
    if (const Option* option = runOption(arg)) {
      return usageError(context, "options go before the command: hvdetector " +
                                     std::string(option->name) + " ... " + name);
    }
  }
  return deliver("hvdetector " + name, context, [&] { return command->run(context); });
}

}  // namespace

int usageError(CommandContext& context, std::string_view message) {
  context.err << "hvdetector: " << message << "\n"
              << "Try 'hvdetector --help' for more information.\n";
  return kExitUsage;
}

std::string echoed(std::string_view input) {
  return quotedExcerpt(fromAnsi(input, kPosixCodePage));
}

int runHost(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  out.exceptions(std::ios::badbit);
  CommandContext context{{}, {}, out, err};
  return runCommandLine(argv, context);
}

}  // namespace hv
