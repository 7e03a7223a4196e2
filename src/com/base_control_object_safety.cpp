#include "com/base_control_com_object.h"
#include "com/com_errors.h"
#include "control/object_safety.h"

namespace hv {
namespace {

// Browsers call through the C binding, where the identifier is a pointer that may be null. The
// reference then stands for a null address, which the optimiser must not be allowed to assume
// away.
const IID* addressOf(REFIID riid) {
  const IID* address = &riid;
  __asm__("" : "+r"(address));
  return address;
}

const Guid* identifierAt(const IID* riid, Guid& storage) {
  if (!riid)
    return nullptr;
  storage = fromGuid(*riid);
  return &storage;
}

}  // namespace

HRESULT STDMETHODCALLTYPE BaseControlComObject::GetInterfaceSafetyOptions(REFIID riid,
                                                                          DWORD* supported,
                                                                          DWORD* enabled) {
  if (!supported || !enabled)
    return E_POINTER;
  return guarded([&] {
    ObjectSafety* safety = queryObjectSafety(object());
    if (!safety)
      return E_NOINTERFACE;
    Guid storage;
    std::uint32_t supportedOptions = *supported;
    std::uint32_t enabledOptions = *enabled;
    const HResult hr = safety->IObjectSafety_GetInterfaceSafetyOptions(
        identifierAt(addressOf(riid), storage), &supportedOptions, &enabledOptions);
    *supported = supportedOptions;
    *enabled = enabledOptions;
    return static_cast<HRESULT>(hr);
  });
}

HRESULT STDMETHODCALLTYPE BaseControlComObject::SetInterfaceSafetyOptions(REFIID riid, DWORD mask,
                                                                          DWORD enabled) {
  return guarded([&] {
    ObjectSafety* safety = queryObjectSafety(object());
    if (!safety)
      return E_NOINTERFACE;
    Guid storage;
    return static_cast<HRESULT>(safety->IObjectSafety_SetInterfaceSafetyOptions(
        identifierAt(addressOf(riid), storage), mask, enabled));
  });
}

}  // namespace hv
