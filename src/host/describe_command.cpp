#include <cstdio>
#include <ostream>
#include <string>

#include "control/library_classes.h"
#include "control/library_identity.h"
#include "control/registration.h"
#include "download/site_domain.h"
#include "host/command.h"
#include "host/exit_status.h"
#include "orchestrate/library_catalog.h"
#include "orchestrate/safety_negotiation.h"
#include "posix/composition/posix_platform.h"
#include "posix/reg_store/registry_root_names.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

std::string hex(std::uint32_t value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
  return buffer;
}

std::string version(int major, int minor) {
  return std::to_string(major) + "." + std::to_string(minor);
}

std::string parameterList(const std::vector<ParamInfo>& params) {
  std::string list;
  for (const auto& p : params) {
    if (!list.empty())
      list += ", ";
    list += std::string(p.byRef ? "ByRef " : "ByVal ") + std::string(p.name) + " As " +
            varTypeName(p.type);
  }
  return list;
}

void describeInterface(std::ostream& out, std::string_view role, const InterfaceInfo& i) {
  out << "  " << role << ": " << i.current.name << " " << i.current.iid.toString() << " version "
      << version(i.current.major, i.current.minor) << "\n";
  for (const auto& e : i.earlier) {
    out << "    earlier: " << e.iid.toString() << " version " << version(e.major, e.minor)
        << (e.name != i.current.name ? " (alias " + std::string(e.name) + ")" : "") << "\n";
  }
}

void describeClass(std::ostream& out, const ClassInfo& c) {
  out << "\nclass " << c.name << "  " << c.progId << "\n"
      << "  CLSID " << c.clsid.toString() << ", class version "
      << version(c.versionMajor, c.versionMinor) << ", MiscStatus " << c.miscStatus << " ("
      << hex(c.miscStatus, 5) << "), toolbox bitmap " << c.toolboxBitmap << "\n"
      << "  " << (c.visibleAtRunTime ? "visible at run time" : "invisible at run time") << ", "
      << (c.uiActivation ? "UI activation allowed" : "never UI-activated")
      << (c.objectSafety ? ", implements IObjectSafety" : "") << "\n";
  describeInterface(out, "default interface", c.defaultInterface);
  describeInterface(out, "event interface", c.eventInterface);
  out << "  members (type-library order):\n";
  for (const auto& m : c.members) {
    std::string line = "    " + hex(static_cast<std::uint32_t>(m.id), 8) + "  " +
                       std::string(m.name) + "(" + parameterList(m.params) + ")";
    if (line.size() < 64)
      line.resize(64, ' ');
    out << line << "  " << memberKindName(m.kind);
    if (m.result != VarType::Empty)
      out << ", returns " << varTypeName(m.result);
    out << "\n";
  }
  out << "  function-table order:";
  for (const auto& name : c.functionTableOrder)
    out << " " << name;
  out << "\n  events:\n";
  for (const auto& e : c.events) {
    out << "    " << e.id << "  " << e.name << "(" << parameterList(e.params) << ")\n";
  }
}

void describeRegistration(std::ostream& out) {
  const std::string module =
      std::string(library::kModuleBaseName) + std::string(library::kModuleExtension);
  out << "\nregistration (module at " << module << "):\n";
  for (const auto& key : registrationEntries(fromUtf8(module), false)) {
    out << "  [" << registryRootName(key.root) << "\\" << toUtf8(key.path) << "]\n";
    for (const auto& v : key.values) {
      out << "    " << (v.name.empty() ? "@" : "\"" + toUtf8(v.name) + "\"") << " = \""
          << toUtf8(v.data) << "\"\n";
    }
  }
}

}  // namespace

int describeCommand(CommandContext& context) {
  if (!context.args.empty())
    return usageError(context, "describe takes no arguments");
  auto& out = context.out;
  out << "library " << library::kTypeLibraryName << " " << library::kLibid.toString() << " version "
      << version(library::kVersionMajor, library::kVersionMinor) << ", locale "
      << hex(library::kLocale, 4) << ", control library\n"
      << "  \"" << library::kHelpString << "\"\n"
      << "  module " << library::kModuleBaseName << library::kModuleExtension << " "
      << library::kModuleVersion << "\n"
      << "  imports stdole2.tlb; " << library::kObjectSafetyLibraryName << " "
      << library::kObjectSafetyLibid.toString() << " version 1.0\n";
  // The safety answers come from live instances, as a browser would ask them.
  PosixPlatform host(context.options, context.err);
  const ClassCatalog catalog = libraryCatalog(host.platform());
  for (const ClassInfo* info : {&baseClass(), &inetDownloaderClass()}) {
    describeClass(out, *info);
    printSafetyAnswers(out, *catalog.byClsid(info->clsid).createInstance({catalog, nullUiSite()}));
  }
  describeRegistration(out);
  out << "\ninstaller fetched by default from " << toUtf8(defaultInstallerUrl())
      << "\ninstallers run only when signed by:\n";
  for (const auto& signer : host.platform().installerTrust.trustedSigners())
    out << "  " << toUtf8(signer) << "\n";
  return kExitSuccess;
}

}  // namespace hv
