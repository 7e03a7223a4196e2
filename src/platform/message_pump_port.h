#pragma once

namespace hv {

// The host's message queue. Pumping handles every message already waiting (posted work, network
// readiness, due timers) and returns without waiting for more. Handlers may pump again from
// inside: the queue is re-entrant.
class MessagePumpPort {
 public:
  virtual ~MessagePumpPort() = default;
  virtual void pumpOnce() = 0;
};

}  // namespace hv
