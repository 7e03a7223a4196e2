#include "messaging/page_bound_processes.h"

namespace hv {

ProcessOutcome PageBoundProcesses::startAndWait(const ProgramCall& call, WindowStyle style) {
  struct Watching {
    PageGoneWatch& watch;
    explicit Watching(PageGoneWatch& w) : watch(w) { watch.start(); }
    ~Watching() { watch.stop(); }
  } watching(watch_);
  return inner_.startAndWait(call, style);
}

}  // namespace hv
