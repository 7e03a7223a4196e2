#pragma once

#include <vector>

#include "platform/event_log_port.h"
#include "runtime/script_error.h"

namespace hv::testing {

// Records every entry; can be told to fail as a broken system log would.
class FakeEventLog : public EventLogPort {
 public:
  struct Entry {
    std::int16_t type;
    Text message;
  };

  void report(std::int16_t eventType, TextView message) override {
    if (failing)
      throw ScriptError(-2147467259, u"EventLog", u"the event log refused the entry");
    entries.push_back({eventType, Text(message)});
  }

  std::vector<Entry> entries;
  bool failing = false;
};

}  // namespace hv::testing
