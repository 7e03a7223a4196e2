#include "tools/deployment_files.h"

#include <string_view>

#include "control/library_classes.h"
#include "control/library_identity.h"
#include "control/resources.h"
#include "messaging/browser_keys.h"
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

// The packaging script puts the signed host under this name beside the generated sources.
constexpr std::string_view kMessagingHost = "hvdetector-messaging-host.exe";

constexpr ManifestKind kManifestKinds[] = {ManifestKind::Chromium, ManifestKind::Firefox};

// The installer's file identifier of a manifest, which a formatted value names as [#id].
std::string manifestFileId(ManifestKind kind) {
  return kind == ManifestKind::Chromium ? "ChromiumManifest" : "FirefoxManifest";
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
