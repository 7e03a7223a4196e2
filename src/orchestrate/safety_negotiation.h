#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "control/control_object.h"
#include "control/dispatch_error.h"

namespace hv {

// The host will not script a control that does not declare itself safe; the message says why.
class UnsafeControl : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Negotiates as a browser does before page script may call members or page data may initialise
// the control: safe for untrusted callers through IDispatch, safe for untrusted data through
// IPersistPropertyBag. Throws UnsafeControl when the control does not agree.
void negotiateSafety(ControlObject& control);

// What the control's safety interface answers when asked about one interface.
struct SafetyAnswer {
  std::string_view interfaceName;
  Guid iid;
  HResult result;
  std::uint32_t supported;
  std::uint32_t enabled;
};

// The answers for each interface a browser asks about; none when the control offers no safety
// interface.
std::vector<SafetyAnswer> safetyAnswers(ControlObject& control);

// The answers, one line each, for people reading `describe`.
void printSafetyAnswers(std::ostream& out, ControlObject& control);

}  // namespace hv
