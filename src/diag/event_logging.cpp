#include "diag/event_logging.h"

#include "control/module_state.h"
#include "detect/registry_routines.h"

namespace hv {
namespace {

std::int16_t thresholdFromConfiguration(const Text& word) {
  if (word == u"debug")
    return kLogDebug;
  if (word == u"info")
    return kLogInfo;
  return kLogSevere;
}

}  // namespace

std::int16_t GetLogLevel(Platform& platform) {
  std::int16_t& logLevel = threadModuleState().logLevel;
  if (logLevel == kLogLevelUnread) {
    logLevel = thresholdFromConfiguration(RegReadString(platform.registry, kHkeyLocalMachine,
                                                        u"Software\\Corvantis\\Detector",
                                                        u"logging", u"severe"));
  }
  return logLevel;
}

void LogMessage(Platform& platform, std::int16_t level, TextView message, std::int16_t eventType) {
  // The threshold is fetched before the comparison so that the first line after a Base
  // initialisation reads the configuration even when that line is then dropped.
  const std::int16_t threshold = GetLogLevel(platform);
  if (level < threshold)
    return;
  platform.eventLog.report(eventType, message);
}

void LogDebug(Platform& platform, TextView message) {
  LogMessage(platform, kLogDebug, message, kEventInformation);
}

}  // namespace hv
