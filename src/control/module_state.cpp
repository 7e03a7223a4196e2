#include "control/module_state.h"

#include <atomic>

namespace hv {
namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

}  // namespace

ThreadModuleState& threadModuleState() {
  thread_local ThreadModuleState state;
  return state;
}

void runStartupRoutineOnce() {
  auto& state = threadModuleState();
  if (state.started)
    return;
  state.started = true;
  state.safeForScripting = kScriptTrue;
  state.safeForInitialization = kScriptTrue;
}

namespace module_lifetime {
void objectCreated() {
  ++liveObjects;
}
void objectDestroyed() {
  --liveObjects;
}
void lock() {
  ++serverLocks;
}
void unlock() {
  --serverLocks;
}
bool canUnloadNow() {
  return liveObjects == 0 && serverLocks == 0;
}
}  // namespace module_lifetime

}  // namespace hv
