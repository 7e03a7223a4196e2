#pragma once

#include "posix/composition/host_options.h"
#include "posix/curl_transfer.h"
#include "posix/event_loop.h"
#include "posix/posix_file_service.h"

namespace hv {

// The host's message loop with the transfers it drives and the runtime's numbered files: the
// ports a download needs beyond the plain ones.
struct HostNetwork {
  explicit HostNetwork(const HostOptions& options);

  EventLoop loop;
  CurlTransferFactory transfers;
  PosixFileService files;
};

// Checks one --connect-to value up front, so that a bad one is a usage mistake rather than a
// request that fails later; throws std::invalid_argument saying what is wrong.
void checkConnectTo(const std::string& entry);

}  // namespace hv
