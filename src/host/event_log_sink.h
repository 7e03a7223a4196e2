#pragma once

#include <memory>

#include "host/host_options.h"
#include "platform/event_log_port.h"

namespace hv {

// The log sink the options ask for: the system log unless --log names standard error or a file.
// Throws std::runtime_error when the file cannot be opened.
std::unique_ptr<EventLogPort> makeEventLog(const HostOptions& options);

}  // namespace hv
