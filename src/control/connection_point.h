#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "control/class_info.h"

namespace hv {

// Receives a control's events. A failure thrown from onEvent travels back to the raiser.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void onEvent(DispId id, std::span<Variant> args) = 0;
};

// The outgoing interface of one control: sinks connect under any identifier the event
// interface has had, and every event goes synchronously to each of them in turn.
class ConnectionPoint {
 public:
  explicit ConnectionPoint(const InterfaceInfo& eventInterface) : interface_(eventInterface) {}

  bool accepts(const Guid& iid) const { return interface_.answers(iid); }

  // Returns the cookie that unadvise takes.
  std::uint32_t advise(std::shared_ptr<EventSink> sink);
  void unadvise(std::uint32_t cookie);
  std::size_t sinkCount() const { return sinks_.size(); }

  struct Connection {
    std::uint32_t cookie;
    std::shared_ptr<EventSink> sink;
  };
  // In the order they were made.
  const std::vector<Connection>& connections() const { return sinks_; }

  // By-reference parameters are the raiser's own storage: a sink that assigns to one changes
  // the raiser's value. The first sink that fails stops the raise with its failure.
  void raise(DispId id, std::span<Variant> args);

 private:
  const InterfaceInfo& interface_;
  std::vector<Connection> sinks_;
  std::uint32_t nextCookie_ = 1;
};

}  // namespace hv
