#pragma once

#include <cstdint>

#include "control/dispatch_error.h"
#include "control/guid.h"

namespace hv {

class ControlObject;

// Option bits of the safety negotiation.
enum SafetyOption : std::uint32_t {
  kSafeForUntrustedCaller = 1,  // page script may drive the control
  kSafeForUntrustedData = 2,    // page data may initialise the control
};

// What a browser asks a control before it lets page script or page data near it. `riid` is the
// address of an interface identifier and may be null.
class ObjectSafety {
 public:
  virtual HResult IObjectSafety_GetInterfaceSafetyOptions(const Guid* riid,
                                                          std::uint32_t* pdwSupportedOptions,
                                                          std::uint32_t* pdwEnabledOptions) = 0;
  virtual HResult IObjectSafety_SetInterfaceSafetyOptions(const Guid* riid,
                                                          std::uint32_t dwOptionSetMask,
                                                          std::uint32_t dwEnabledOptions) = 0;

 protected:
  ~ObjectSafety() = default;
};

// The control's safety interface when it answers for one, else null.
ObjectSafety* queryObjectSafety(ControlObject& control);

// The answers every control that declares itself safe gives, from this thread's safety flags.
// Nothing is recorded: a successful Set changes no state.
HResult getInterfaceSafetyOptions(const Guid* riid, std::uint32_t* pdwSupportedOptions,
                                  std::uint32_t* pdwEnabledOptions);
HResult setInterfaceSafetyOptions(const Guid* riid, std::uint32_t dwOptionSetMask,
                                  std::uint32_t dwEnabledOptions);

}  // namespace hv
