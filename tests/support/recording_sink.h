#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "control/connection_point.h"
#include "control/library_classes.h"

namespace hv::testing {

// Records a downloader's events as a page's handlers would receive them; `onEvent` lets a test
// act inside a raise, as page script may.
class RecordingSink : public EventSink {
 public:
  struct Event {
    DispId id;
    std::vector<Variant> args;
  };

  void onEvent(DispId id, std::span<Variant> args) override {
    events.push_back({id, {args.begin(), args.end()}});
    if (react)
      react(id, args);
  }

  std::vector<std::pair<std::int32_t, std::int32_t>> progress() const {
    std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
    for (const auto& e : events) {
      if (e.id == inet_downloader_dispid::kEventProgress)
        pairs.emplace_back(e.args[0].toInt32(), e.args[1].toInt32());
    }
    return pairs;
  }

  int count(DispId id) const {
    int n = 0;
    for (const auto& e : events)
      n += e.id == id ? 1 : 0;
    return n;
  }

  bool finished() const {
    return count(inet_downloader_dispid::kEventDownloadComplete) +
               count(inet_downloader_dispid::kEventError) >
           0;
  }

  // The (number, description) of the first error event, or (0, "no error event").
  std::pair<std::int32_t, Text> error() const {
    for (const auto& e : events) {
      if (e.id == inet_downloader_dispid::kEventError)
        return {e.args[0].toInt32(), e.args[1].toText()};
    }
    return {0, u"no error event"};
  }

  std::vector<Event> events;
  std::function<void(DispId, std::span<Variant>)> react;
};

}  // namespace hv::testing
