#pragma once

#include <string>

#include "fakes/fake_clock.h"
#include "fakes/fake_event_log.h"
#include "fakes/fake_installer_trust.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_temp_folder.h"
#include "platform/platform.h"
#include "posix/composition/host_network.h"
#include "support/loopback_http_server.h"
#include "support/one_second_timeouts.h"

namespace hv::testing {

// The vendor's site as a loopback server, reached through the host's real network, files and
// message loop; every other port is faked. Transfers give up after one second.
struct LoopbackSite {
  // `refused`: the site's address has nobody listening on it.
  explicit LoopbackSite(bool refused = false)
      : network(optionsFor(refused ? portNobodyListensOn() : server.port())) {}

  static HostOptions optionsFor(std::uint16_t port) {
    HostOptions options;
    options.connectTo = {"www.corvantis.example:80:127.0.0.1:" + std::to_string(port)};
    return options;
  }
  static std::uint16_t portNobodyListensOn() {
    LoopbackHttpServer gone;
    return gone.port();
  }

  LoopbackHttpServer server;
  HostNetwork network;
  OneSecondTimeouts transfers{network.transfers};
  FakeRegistry registry;
  FakeEventLog eventLog;
  FakeTempFolder tempFolder;
  FakeClock clock;
  FakeProcesses processes;
  FakeInstallerTrust installerTrust;
  Platform platform{registry,  eventLog,      tempFolder, clock,         network.loop,
                    transfers, network.files, processes,  installerTrust};
};

}  // namespace hv::testing
