#pragma once

#include <filesystem>

#include "platform/platform.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_temp_folder.h"
#include "platform/posix/registry_store.h"
#include "platform/posix/store_registry.h"
#include "platform/posix/syslog_event_log.h"

namespace hv {

// The real ports of this machine, owned for one run of the host and handed to the controls
// as one Platform.
class HostPlatform {
 public:
  explicit HostPlatform(std::filesystem::path registryLocation)
      : registryStore_(std::move(registryLocation)) {}
  HostPlatform(const HostPlatform&) = delete;
  HostPlatform& operator=(const HostPlatform&) = delete;

  Platform& platform() { return platform_; }
  RegistryStore& registryStore() { return registryStore_; }

 private:
  RegistryStore registryStore_;
  StoreRegistry registry_{registryStore_};
  SyslogEventLog eventLog_;
  PosixTempFolder tempFolder_;
  PosixClock clock_;
  Platform platform_{registry_, eventLog_, tempFolder_, clock_};
};

}  // namespace hv
