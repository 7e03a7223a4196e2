#include "com/type_library.h"

#include <oleauto.h>

#include <cstring>

#include "com/module_instance.h"

namespace hv {
namespace {

// Loaded once and kept for the life of the process: oleaut32 caches the library itself. The
// module file does not change while it is loaded, so a failure stays a failure.
HRESULT moduleTypeLibrary(ITypeLib** library) {
  static ITypeLib* const loaded = [] {
    ITypeLib* read = nullptr;
    return SUCCEEDED(LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, &read)) ? read : nullptr;
  }();
  if (!loaded)
    return TYPE_E_CANTLOADLIBRARY;
  loaded->AddRef();
  *library = loaded;
  return S_OK;
}

}  // namespace

GUID toGuid(const Guid& id) {
  GUID out;
  const auto bytes = id.bytes();
  std::memcpy(&out, bytes.data(), sizeof out);
  return out;
}

Guid fromGuid(const GUID& id) {
  std::array<std::uint8_t, 16> bytes;
  std::memcpy(bytes.data(), &id, bytes.size());
  return Guid::fromBytes(bytes);
}

HRESULT moduleTypeInfo(const Guid& id, ITypeInfo** info) {
  if (!info)
    return E_POINTER;
  *info = nullptr;
  ITypeLib* library = nullptr;
  HRESULT hr = moduleTypeLibrary(&library);
  if (FAILED(hr))
    return hr;
  hr = library->GetTypeInfoOfGuid(toGuid(id), info);
  library->Release();
  return hr;
}

}  // namespace hv
