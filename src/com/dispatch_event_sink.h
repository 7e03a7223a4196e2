#pragma once

#include <oaidl.h>

#include "control/connection_point.h"

namespace hv {

// A page's event handler object as the library's event sink. Parameters go by reference, so a
// handler that assigns to one changes the raiser's value; a handler's failure comes back to the
// raiser as a script error.
class DispatchEventSink : public EventSink {
 public:
  explicit DispatchEventSink(IDispatch* sink);
  ~DispatchEventSink() override;
  DispatchEventSink(const DispatchEventSink&) = delete;
  DispatchEventSink& operator=(const DispatchEventSink&) = delete;

  void onEvent(DispId id, std::span<Variant> args) override;

  // The handler object, as a client enumerating the connections gets it.
  IUnknown* handler() const { return sink_; }

 private:
  IDispatch* sink_;
};

}  // namespace hv
