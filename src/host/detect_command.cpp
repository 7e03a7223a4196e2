#include <iomanip>
#include <ostream>
#include <string>

#include "control/dispatch.h"
#include "control/library_classes.h"
#include "host/command.h"
#include "host/exit_status.h"
#include "host/host_platform.h"
#include "host/registered_control.h"
#include "host/safety_negotiation.h"
#include "host/usable_environment.h"
#include "orchestrate/base.h"
#include "orchestrate/library_catalog.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr std::u16string_view kProperties[] = {
    u"HasCvxMime", u"HasCvtMime", u"HasParticipantHalverine", u"HasSupervisorHV", u"HasIEAutoOpen"};

struct Detection {
  bool answers[std::size(kProperties)];
  std::string participantInstallDir;
  std::string supervisorInstallDir;
};

std::string jsonString(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// Reads the properties the way page script does: a Base from the registered class, safe for
// scripting, then each property through the dispatch layer.
Detection detect(HostPlatform& host) {
  const ClassCatalog catalog = libraryCatalog(host.platform());
  // Base's layout holds an InetDownloader, so a page can create Base only with both registered.
  const RegisteredClasses classes(host.platform(), catalog);
  const auto object = registeredClass(host.platform(), catalog, baseClass().progId)
                          .createInstance({classes, nullUiSite()});
  negotiateSafety(*object);
  Detection detection{};
  for (std::size_t i = 0; i < std::size(kProperties); ++i) {
    detection.answers[i] =
        invokeByName(*object, kProperties[i], MemberKind::PropertyGet, {}).toBoolean();
  }
  const auto& base = dynamic_cast<const Base&>(*object);
  detection.participantInstallDir = toUtf8(base.participantInstallDirectory());
  detection.supervisorInstallDir = toUtf8(base.supervisorInstallDirectory());
  return detection;
}

void printJson(std::ostream& out, const Detection& d) {
  out << "{";
  for (std::size_t i = 0; i < std::size(kProperties); ++i)
    out << jsonString(toUtf8(kProperties[i])) << ": " << (d.answers[i] ? "true" : "false") << ", ";
  out << "\"participantInstallDir\": " << jsonString(d.participantInstallDir)
      << ", \"supervisorInstallDir\": " << jsonString(d.supervisorInstallDir) << "}\n";
}

void printForPeople(std::ostream& out, const Detection& d) {
  for (std::size_t i = 0; i < std::size(kProperties); ++i) {
    out << std::left << std::setw(26) << toUtf8(kProperties[i]) << (d.answers[i] ? "True" : "False")
        << "\n";
  }
  const auto folder = [](const std::string& dir) { return dir.empty() ? "(none)" : dir; };
  out << std::setw(26) << "participant install dir" << folder(d.participantInstallDir) << "\n"
      << std::setw(26) << "supervisor install dir" << folder(d.supervisorInstallDir) << "\n";
}

}  // namespace

int detectCommand(CommandContext& context) {
  const bool json = context.args.size() == 1 && context.args[0] == "--json";
  if (!context.args.empty() && !json)
    return usageError(context, "detect takes only --json");
  HostPlatform host(context);
  requireReadableStore(host.registryStore());
  const Detection detection = detect(host);
  if (json)
    printJson(context.out, detection);
  else
    printForPeople(context.out, detection);
  return kExitSuccess;
}

}  // namespace hv
