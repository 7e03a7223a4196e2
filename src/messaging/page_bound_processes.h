#pragma once

#include "platform/platform.h"

namespace hv {

// Tells, from a thread of its own, when the page's connection ends while the host's thread is
// blocked and reads nothing: the host then ends at once.
class PageGoneWatch {
 public:
  virtual ~PageGoneWatch() = default;
  virtual void start() = 0;
  virtual void stop() = 0;
};

// The install flow blocks the host's thread while its installer runs, however long that takes:
// a page that goes meanwhile would leave the host waiting for nobody. Each wait is watched, so
// that the host ends once its page has gone; the installer goes on in its own process group.
class PageBoundProcesses : public ProcessPort {
 public:
  PageBoundProcesses(ProcessPort& inner, PageGoneWatch& watch) : inner_(inner), watch_(watch) {}

  void start(const Text& commandLine, WindowStyle style) override {
    inner_.start(commandLine, style);
  }
  ProcessOutcome startAndWait(const ProgramCall& call, WindowStyle style) override;
  void allowToRun(const Text& path) override { inner_.allowToRun(path); }

 private:
  ProcessPort& inner_;
  PageGoneWatch& watch_;
};

// `platform` with its processes started through `processes`.
inline Platform withProcesses(const Platform& platform, ProcessPort& processes) {
  return {platform.registry,      platform.eventLog,  platform.tempFolder, platform.clock,
          platform.messagePump,   platform.transfers, platform.files,      processes,
          platform.installerTrust};
}

}  // namespace hv
