// Base's script properties: the installer URL a page may set, and the detection properties,
// each of which reads the registry at the moment page script asks.
#include "detect/component_detection.h"
#include "download/site_domain.h"
#include "orchestrate/base.h"

namespace hv {

// A URL outside the vendor's domain is dropped without a word: the installer URL a page cannot
// change is the one INSTALL keeps fetching.
void Base::DownloadLocation(const Text& url) {
  if (passesHostTest(url))
    downloadLocationUrl = url;
}

ScriptBool Base::HasCvxMime() {
  return toScriptBool(hasCvxMime(platform_.registry));
}

ScriptBool Base::HasCvtMime() {
  return toScriptBool(hasCvtMime(platform_.registry));
}

ScriptBool Base::HasParticipantHalverine() {
  participantInstallDir = participantInstallFolder(platform_.registry);
  return toScriptBool(!participantInstallDir.empty());
}

ScriptBool Base::HasSupervisorHV() {
  supervisorInstallDir = supervisorInstallFolder(platform_.registry);
  return toScriptBool(!supervisorInstallDir.empty());
}

ScriptBool Base::HasIEAutoOpen() {
  return toScriptBool(hasIEAutoOpen(platform_.registry));
}

}  // namespace hv
