#include "control/connection_point.h"

#include <algorithm>

#include "control/dispatch_error.h"

namespace hv {

std::uint32_t ConnectionPoint::advise(std::shared_ptr<EventSink> sink) {
  if (!sink)
    throw DispatchError(kEPointer, "no event sink given");
  sinks_.push_back({nextCookie_, std::move(sink)});
  return nextCookie_++;
}

void ConnectionPoint::unadvise(std::uint32_t cookie) {
  const auto it = std::find_if(sinks_.begin(), sinks_.end(),
                               [cookie](const Connection& c) { return c.cookie == cookie; });
  if (it == sinks_.end())
    throw DispatchError(kConnectENoConnection, "no such connection");
  sinks_.erase(it);
}

void ConnectionPoint::raise(DispId id, std::span<Variant> args) {
  // A sink may connect or disconnect others while it handles the event (it may pump messages):
  // raise to the sinks connected when the raise began, and keep each alive while it runs.
  const std::vector<Connection> snapshot = sinks_;
  for (const auto& connection : snapshot)
    connection.sink->onEvent(id, args);
}

}  // namespace hv
