#include "diag/event_logging.h"

#include "control/module_state.h"
#include "detect/registry_routines.h"

namespace hv {

std::int16_t GetLogLevel(Platform& platform) {
  auto& logLevel = threadModuleState().logLevel;
  if (logLevel == -1) {
    const Text level = RegReadString(platform.registry, kHkeyLocalMachine,
                                     u"Software\\Corvantis\\Detector", u"logging", u"severe");
    logLevel = level == u"debug" ? 1 : level == u"info" ? 2 : 3;
  }
  return logLevel;
}

void LogMessage(Platform& platform, std::int16_t level, TextView message, std::int16_t eventType) {
  if (level < GetLogLevel(platform))
    return;
  platform.eventLog.report(eventType, message);
}

void LogDebug(Platform& platform, TextView message) {
  LogMessage(platform, 1, message, kEventInformation);
}

}  // namespace hv
