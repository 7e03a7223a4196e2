#include "orchestrate/base.h"

namespace hv {

HResult Base::IObjectSafety_GetInterfaceSafetyOptions(const Guid* riid,
                                                      std::uint32_t* pdwSupportedOptions,
                                                      std::uint32_t* pdwEnabledOptions) {
  return getInterfaceSafetyOptions(riid, pdwSupportedOptions, pdwEnabledOptions);
}

HResult Base::IObjectSafety_SetInterfaceSafetyOptions(const Guid* riid,
                                                      std::uint32_t dwOptionSetMask,
                                                      std::uint32_t dwEnabledOptions) {
  return setInterfaceSafetyOptions(riid, dwOptionSetMask, dwEnabledOptions);
}

}  // namespace hv
