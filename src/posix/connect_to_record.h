#pragma once

#include <optional>
#include <string>
#include <vector>

#include "transfer/connect_to_entry.h"

namespace hv {

// Which connect-to entries the requests of a run went through. libcurl does not say which entry
// it used, so each request's host and port are matched here by libcurl's rule: the first entry
// that matches is the one taken. An entry that no request took is most often a typo, and the
// request it was meant for went to the host's own address instead.
class ConnectToRecord {
 public:
  // Entries that do not parse are left out; the host refuses them before any request.
  explicit ConnectToRecord(const std::vector<std::string>& entries);

  // Notes which entry the request goes through. While there are entries, a request none of them
  // takes gets "HOST port PORT" back: it must not be sent, since it would look the name up.
  std::optional<std::string> noteRequest(const std::string& url);

  // The entries, as written and each once, that no request took; none while no request has gone
  // out.
  std::vector<std::string> unmatched() const;

 private:
  struct Entry {
    std::string text;
    ConnectToEntry parsed;
    bool taken = false;
  };
  std::vector<Entry> entries_;
  bool anyRequest_ = false;
};

}  // namespace hv
