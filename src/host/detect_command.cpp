#include <cstdio>
#include <iomanip>
#include <ostream>
#include <string>

#include "control/dispatch.h"
#include "control/library_classes.h"
#include "host/command.h"
#include "host/exit_status.h"
#include "orchestrate/base.h"
#include "orchestrate/library_catalog.h"
#include "orchestrate/registered_control.h"
#include "orchestrate/safety_negotiation.h"
#include "posix/composition/posix_platform.h"
#include "posix/composition/usable_environment.h"
#include "runtime/printable_text.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr std::u16string_view kProperties[] = {
    u"HasCvxMime", u"HasCvtMime", u"HasParticipantHalverine", u"HasSupervisorHV", u"HasIEAutoOpen"};

struct Detection {
  bool answers[std::size(kProperties)];
  Text participantInstallDir;
  Text supervisorInstallDir;
};

// Valid JSON whose bytes a terminal cannot take as commands either: besides what JSON requires,
// DEL, C1 controls (U+009B starts a terminal sequence) and the marks that reorder or break a
// line are escaped.
std::string jsonString(TextView text) {
  Text out = u"\"";
  for (const char16_t c : text) {
    const bool layoutMark =
        c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
    if (c == u'"' || c == u'\\') {
      out += u'\\';
      out += c;
    } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || layoutMark) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      out += textFromAscii(escape);
    } else {
      out += c;
    }
  }
  return toUtf8(out + u"\"");
}

// Reads the properties the way page script does: a Base from the registered class, safe for
// scripting, then each property through the dispatch layer.
Detection detect(PosixPlatform& host) {
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
  detection.participantInstallDir = base.participantInstallDirectory();
  detection.supervisorInstallDir = base.supervisorInstallDirectory();
  return detection;
}

void printJson(std::ostream& out, const Detection& d) {
  out << "{";
  for (std::size_t i = 0; i < std::size(kProperties); ++i)
    out << jsonString(kProperties[i]) << ": " << (d.answers[i] ? "true" : "false") << ", ";
  out << "\"participantInstallDir\": " << jsonString(d.participantInstallDir)
      << ", \"supervisorInstallDir\": " << jsonString(d.supervisorInstallDir) << "}\n";
}

void printForPeople(std::ostream& out, const Detection& d) {
  for (std::size_t i = 0; i < std::size(kProperties); ++i) {
    out << std::left << std::setw(26) << toUtf8(kProperties[i]) << (d.answers[i] ? "True" : "False")
        << "\n";
  }
  // A folder is a value from the store: a terminal shows it escaped.
  const auto folder = [](const Text& dir) {
    return dir.empty() ? std::string("(none)") : printableText(dir);
  };
  out << std::setw(26) << "participant install dir" << folder(d.participantInstallDir) << "\n"
      << std::setw(26) << "supervisor install dir" << folder(d.supervisorInstallDir) << "\n";
}

}  // namespace

int detectCommand(CommandContext& context) {
  const bool json = context.args.size() == 1 && context.args[0] == "--json";
  if (!context.args.empty() && !json)
    return usageError(context, "detect takes only --json");
  PosixPlatform host(context.options, context.err);
  requireReadableStore(host.registryStore());
  const Detection detection = detect(host);
  if (json)
    printJson(context.out, detection);
  else
    printForPeople(context.out, detection);
  return kExitSuccess;
}

}  // namespace hv
