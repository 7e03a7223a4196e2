#include "detect/component_detection.h"

#include "detect/registry_routines.h"

namespace hv {
namespace {

constexpr TextView kCvxMimeKey = u"MIME\\Database\\Content Type\\application/x-corvantis-x-file";
constexpr TextView kCvtMimeKey = u"MIME\\Database\\Content Type\\text/x-corvantis-x-file";
constexpr TextView kParticipantKey = u"Software\\Corvantis\\Corvantis Participant Halverine";
constexpr TextView kSupervisorKey = u"Software\\Corvantis\\Corvantis Supervisor Halverine";
constexpr TextView kAutoOpenKey =
    u"Software\\Microsoft\\Windows\\Shell\\AttachmentExecute\\"
    u"{0002DF01-0000-0000-C000-000000000046}";

bool mimeExtensionIs(RegistryPort& registry, TextView mimeKey, TextView extension) {
  return RegReadString(registry, kHkeyClassesRoot, mimeKey, u"Extension", u"") == extension;
}

Text installFolder(RegistryPort& registry, TextView editionKey) {
  return RegReadString(registry, kHkeyLocalMachine, editionKey, u"Install_Dir", u"");
}

}  // namespace

bool hasCvxMime(RegistryPort& registry) {
  return mimeExtensionIs(registry, kCvxMimeKey, u".cvx");
}

bool hasCvtMime(RegistryPort& registry) {
  return mimeExtensionIs(registry, kCvtMimeKey, u".cvt");
}

Text participantInstallFolder(RegistryPort& registry) {
  return installFolder(registry, kParticipantKey);
}

Text supervisorInstallFolder(RegistryPort& registry) {
  return installFolder(registry, kSupervisorKey);
}

bool hasIEAutoOpen(RegistryPort& registry) {
  return RegValueExists(registry, kHkeyCurrentUser, kAutoOpenKey, u"Corvantis Executable") ==
         u"True";
}

}  // namespace hv
