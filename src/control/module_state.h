#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace hv {

// The log-level cache value that asks for the threshold to be read from the registry again.
inline constexpr std::int16_t kLogLevelUnread = -1;

// Module-wide variables. The classes are apartment-threaded, so each thread that uses the
// library has its own copy, shared by all instances on that thread.
struct ThreadModuleState {
  std::int16_t logLevel = 0;  // 0: nothing read yet, every line passes; -1: read again
  ScriptBool safeForScripting = kScriptFalse;
  ScriptBool safeForInitialization = kScriptFalse;
  bool started = false;
};

ThreadModuleState& threadModuleState();

// The library's start-up routine: runs once per thread, before the first object on it.
void runStartupRoutineOnce();

// Process-wide counts behind "can unload": live objects, class factories a client holds, and
// class-factory locks.
namespace module_lifetime {
void objectCreated();
void objectDestroyed();
void factoryHeld();
void factoryReleased();
void lock();
// An unlock without a lock before it is ignored: the count never goes below zero.
void unlock();
bool canUnloadNow();
}  // namespace module_lifetime

}  // namespace hv
