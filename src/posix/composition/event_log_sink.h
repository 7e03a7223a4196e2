#pragma once

#include <iosfwd>
#include <memory>

#include "platform/event_log_port.h"
#include "posix/composition/host_options.h"

namespace hv {

// The log sink the options ask for: the system log unless --log names standard error or a file.
// A log that cannot be opened or written is reported once on `err` and dropped: the run goes on
// without it and never waits for it (a FIFO nobody reads).
std::unique_ptr<EventLogPort> makeEventLog(const HostOptions& options, std::ostream& err);

}  // namespace hv
