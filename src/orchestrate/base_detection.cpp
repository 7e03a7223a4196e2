// Base's detection properties: each reads the registry at the moment page script asks.
#include "detect/component_detection.h"
#include "orchestrate/base.h"

namespace hv {

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
