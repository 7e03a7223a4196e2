#pragma once

#include <iosfwd>
#include <memory>

#include "platform/platform.h"
#include "posix/composition/host_network.h"
#include "posix/composition/host_options.h"
#include "posix/composition/observed_processes.h"
#include "posix/minisign_trust.h"
#include "posix/posix_local_machine.h"
#include "posix/posix_processes.h"
#include "posix/reg_store/posix_registry.h"
#include "posix/reg_store/registry_store.h"

namespace hv {

// The real ports of this machine, chosen by the host options and owned for one run of a host,
// handed to the controls as one Platform. When it goes, each --connect-to entry that no request
// took is reported, so that a mistyped one is not lost behind a request to the real address.
class PosixPlatform {
 public:
  PosixPlatform(const HostOptions& options, std::ostream& err);
  ~PosixPlatform();
  PosixPlatform(const PosixPlatform&) = delete;
  PosixPlatform& operator=(const PosixPlatform&) = delete;

  Platform& platform() { return platform_; }
  RegistryStore& registryStore() { return registryStore_; }
  // The message loop the downloads run on; a command runs it until its flow ends.
  EventLoop& loop() { return network_.loop; }
  // Every start the library asked for in this run.
  ObservedProcesses& processes() { return observedProcesses_; }

 private:
  std::ostream& err_;
  RegistryStore registryStore_;
  PosixRegistry registry_{registryStore_};
  std::unique_ptr<EventLogPort> eventLog_;
  PosixTempFolder tempFolder_;
  PosixClock clock_;
  HostNetwork network_;
  PosixProcesses processes_;
  ObservedProcesses observedProcesses_{processes_};
  MinisignTrust installerTrust_;
  Platform platform_;
};

}  // namespace hv
