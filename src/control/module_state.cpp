#include "control/module_state.h"

#include <atomic>

namespace hv {
namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> heldFactories{0};
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
void factoryHeld() {
  ++heldFactories;
}
void factoryReleased() {
  --heldFactories;
}
void lock() {
  ++serverLocks;
}
void unlock() {
  // A negative count would let one later lock leave the module unloadable while it is locked.
  long locks = serverLocks.load();
  while (locks > 0 && !serverLocks.compare_exchange_weak(locks, locks - 1)) {
  }
}
bool canUnloadNow() {
  return liveObjects == 0 && heldFactories == 0 && serverLocks == 0;
}
}  // namespace module_lifetime

}  // namespace hv
