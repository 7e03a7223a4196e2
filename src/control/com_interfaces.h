#pragma once

#include "control/guid.h"

namespace hv {

// Identifiers of the standard interfaces the library meets.
namespace iid {
inline constexpr Guid kIUnknown = Guid::of("{00000000-0000-0000-C000-000000000046}");
inline constexpr Guid kIDispatch = Guid::of("{00020400-0000-0000-C000-000000000046}");
inline constexpr Guid kIDispatchEx = Guid::of("{A6EF9860-C720-11D0-9337-00A0C90DCAA9}");
inline constexpr Guid kIConnectionPointContainer =
    Guid::of("{B196B284-BAB4-101A-B69C-00AA00341D07}");
inline constexpr Guid kIProvideClassInfo = Guid::of("{B196B283-BAB4-101A-B69C-00AA00341D07}");
inline constexpr Guid kIProvideClassInfo2 = Guid::of("{A6BC3AC0-DBAA-11CE-9DE3-00AA004BB851}");
inline constexpr Guid kIObjectSafety = Guid::of("{CB5BDC81-93C1-11CF-8F20-00805F2CD064}");
inline constexpr Guid kIPersist = Guid::of("{0000010C-0000-0000-C000-000000000046}");
inline constexpr Guid kIPersistStorage = Guid::of("{0000010A-0000-0000-C000-000000000046}");
inline constexpr Guid kIPersistStream = Guid::of("{00000109-0000-0000-C000-000000000046}");
inline constexpr Guid kIPersistStreamInit = Guid::of("{7FD52380-4E07-101B-AE2D-08002B2EC713}");
inline constexpr Guid kIPersistPropertyBag = Guid::of("{37D84F60-42CB-11CE-8135-00AA004BB851}");
inline constexpr Guid kIOleObject = Guid::of("{00000112-0000-0000-C000-000000000046}");
inline constexpr Guid kIOleControl = Guid::of("{B196B288-BAB4-101A-B69C-00AA00341D07}");
inline constexpr Guid kIOleWindow = Guid::of("{00000114-0000-0000-C000-000000000046}");
inline constexpr Guid kIOleInPlaceObject = Guid::of("{00000113-0000-0000-C000-000000000046}");
inline constexpr Guid kIOleInPlaceActiveObject = Guid::of("{00000117-0000-0000-C000-000000000046}");
inline constexpr Guid kIViewObject = Guid::of("{0000010D-0000-0000-C000-000000000046}");
inline constexpr Guid kIViewObject2 = Guid::of("{00000127-0000-0000-C000-000000000046}");
inline constexpr Guid kIViewObjectEx = Guid::of("{3AF24292-0C96-11CE-A0CF-00AA00600AB8}");
inline constexpr Guid kIQuickActivate = Guid::of("{CF51ED10-62FE-11CF-BF86-00A0C9034836}");

// Proxy/stub classes under which automation interfaces are registered.
inline constexpr Guid kPSOAInterface = Guid::of("{00020424-0000-0000-C000-000000000046}");
inline constexpr Guid kPSDispatch = Guid::of("{00020420-0000-0000-C000-000000000046}");
}  // namespace iid

}  // namespace hv
