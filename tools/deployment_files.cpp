#include "tools/deployment_files.h"

#include <stdexcept>
#include <string_view>

#include "control/library_classes.h"
#include "control/library_identity.h"
#include "control/registration.h"
#include "control/resources.h"
#include "messaging/browser_keys.h"
#include "runtime/text_encoding.h"
#include "runtime/xml_text.h"

namespace hv {
namespace {

std::string moduleFileName() {
  return std::string(library::kModuleBaseName) + std::string(library::kModuleExtension);
}

std::string commaVersion() {
  const auto& v = versionInfo().fileVersion;
  return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]) + "," +
         std::to_string(v[3]);
}

// The folder the registration is computed for, replaced afterwards by the installer's property:
// the entries derive the help folder from the module's path, so the path must have one.
constexpr std::string_view kFolderStandIn = "C:\\HVDETECTOR-FOLDER\\";
constexpr std::string_view kFolderProperty = "[INSTALLFOLDER]";

// Brackets are the installer's property syntax: a literal one is written as "[\[]" or "[\]]".
std::string installerLiteral(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '[' || c == ']')
      out += std::string("[\\") + c + "]";
    else
      out += c;
  }
  return out;
}

std::string installerValue(const Text& value) {
  std::string text = installerLiteral(toUtf8(value));
  for (auto at = text.find(kFolderStandIn); at != std::string::npos;
       at = text.find(kFolderStandIn, at + kFolderProperty.size()))
    text.replace(at, kFolderStandIn.size(), kFolderProperty);
  return xmlEscaped(text);
}

// The packaging script puts the signed host under this name beside the generated sources.
constexpr std::string_view kMessagingHost = "hvdetector-messaging-host.exe";

constexpr ManifestKind kManifestKinds[] = {ManifestKind::Chromium, ManifestKind::Firefox};

// The installer's file identifier of a manifest, which a formatted value names as [#id].
std::string manifestFileId(ManifestKind kind) {
  return kind == ManifestKind::Chromium ? "ChromiumManifest" : "FirefoxManifest";
}

// Registering the module writes under the classes root only.
std::string installerRoot(RegistryRoot root) {
  if (root != kHkeyClassesRoot)
    throw std::logic_error("a registration key outside the classes root");
  return "HKCR";
}

}  // namespace

std::string cabinetInf() {
  const std::string file = moduleFileName();
  return "; Installs " + file +
         " from this cabinet and registers it.\r\n"
         "[version]\r\n"
         "signature=\"$CHICAGO$\"\r\n"
         "AdvancedINF=2.0\r\n"
         "\r\n"
         "[Add.Code]\r\n" +
         file + "=" + file +
         "\r\n"
         "\r\n"
         "[" +
         file +
         "]\r\n"
         "file-win32-x86=thiscab\r\n"
         "clsid=" +
         baseClass().clsid.toString() +
         "\r\n"
         "FileVersion=" +
         commaVersion() +
         "\r\n"
         "RegisterServer=yes\r\n";
}

std::string installerRegistryInclude() {
  const Text modulePath = textFromAscii(std::string(kFolderStandIn) + moduleFileName());
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Include>\n";
  for (const auto& key : registrationEntries(modulePath, false)) {
    out += "  <RegistryKey Root=\"" + installerRoot(key.root) + "\" Key=\"" +
           installerValue(key.path) + "\">\n";
    // A key without values still marks something (a class as a control): the name "*" without
    // a value has the installer create the key and delete it again on removal.
    if (key.values.empty())
      out += "    <RegistryValue Type=\"string\" Name=\"*\" Value=\"\" />\n";
    for (const auto& value : key.values) {
      out += "    <RegistryValue Type=\"string\"";
      if (!value.name.empty())
        out += " Name=\"" + installerValue(value.name) + "\"";
      out += " Value=\"" + installerValue(value.data) + "\" />\n";
    }
    out += "  </RegistryKey>\n";
  }
  return out + "</Include>\n";
}

std::vector<DeploymentText> installedManifests() {
  std::vector<DeploymentText> manifests;
  for (const ManifestKind kind : kManifestKinds)
    manifests.push_back({manifestFileName(kind), manifestText(kind, kMessagingHost)});
  return manifests;
}

std::string installerMessagingHostInclude() {
  const std::string host(kMessagingHost);
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Include>\n";
  out += "  <File Id=\"MessagingHost\" Name=\"" + host + "\" Source=\"" + host +
         "\" KeyPath=\"yes\" />\n";
  for (const ManifestKind kind : kManifestKinds) {
    const std::string name = manifestFileName(kind);
    out += "  <File Id=\"" + manifestFileId(kind) + "\" Name=\"" + name + "\" Source=\"" + name +
           "\" />\n";
  }
  for (const auto& browser : kBrowserKeys)
    out += "  <RegistryValue Root=\"HKLM\" Key=\"" + xmlEscaped(hostKey(browser)) +
           "\" Type=\"string\" Value=\"[#" + manifestFileId(browser.manifest) + "]\" />\n";
  return out + "</Include>\n";
}

}  // namespace hv
