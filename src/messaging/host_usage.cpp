#include "messaging/host_usage.h"

#include <sstream>

#include "download/site_domain.h"
#include "messaging/browser_identity.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr std::string_view kProgram = "hvdetector-messaging-host";

void printOption(std::ostream& out, std::string_view word, std::string_view summary) {
  std::string left(word);
  if (left.size() < 14)
    left.resize(14, ' ');
  out << "  " << left << "  " << summary << "\n";
}

std::string help(std::span<const PersonCommand> commands) {
  std::ostringstream out;
  out << "Usage: " << kProgram << " CALLER-ORIGIN [--parent-window=HANDLE]\n"
      << "  or:  " << kProgram << " MANIFEST-PATH ADD-ON-ID\n"
      << "  or:  " << kProgram << " OPTION\n"
      << "Brings HVDetector's Base to the vendor's pages: a browser starts this program for the\n"
         "HVDetector extension, with the arguments above, and exchanges messages with it as\n"
         "frames of JSON on standard input and output. People do not run it to serve a page;\n"
         "on Linux `hvdetector register-browsers` tells each browser where it is.\n\n"
      << "Options:\n";
  printOption(out, "--help", "show this help and exit");
  printOption(out, "--version", "show the version and exit");
  for (const auto& command : commands)
    printOption(out, command.word, command.summary);
  out << "\nNative host name:\n  " << nativeHostName() << "\n"
      << "Callers:\n  the Chromium extensions";
  for (const auto& id : chromiumExtensionIds())
    out << " " << id;
  out << " and the Firefox add-on " << firefoxAddonId() << "\n"
      << "Pages:\n  http and https pages whose host ends in " << toUtf8(siteDomainSuffix()) << "\n"
      << "Exit status:\n";
  printOption(out, "0", "the browser closed the connection");
  printOption(out, "1", "the caller or the page was refused");
  return out.str();
}

std::string version() {
  return std::string(kProgram) + " " + std::string(bridgeVersion()) + "\n";
}

}  // namespace

std::optional<std::string> textForAPerson(std::span<const std::string> args,
                                          std::span<const PersonCommand> commands) {
  if (args.size() != 1)
    return std::nullopt;
  if (args[0] == "--help")
    return help(commands);
  if (args[0] == "--version")
    return version();
  return std::nullopt;
}

}  // namespace hv
