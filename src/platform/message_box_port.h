#pragma once

#include <optional>

#include "runtime/text.h"

namespace hv {

// The one kind of message box the library shows: a critical-error icon, the text, an OK button
// and nothing else. It is modal: show returns only once the user has closed it. Without a title
// the box carries the host's own.
class MessageBoxPort {
 public:
  virtual ~MessageBoxPort() = default;
  virtual void showCritical(TextView text, std::optional<TextView> title) = 0;
};

}  // namespace hv
