#include "win32/win32_registry.h"

#include <windows.h>

#include <string>

namespace hv {
namespace {

// The predefined keys are negative 32-bit numbers widened to a handle, so on 64-bit Windows they
// must be sign-extended, not zero-extended.
HKEY rootKey(std::uint32_t root) {
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

HKEY keyOf(RegistryPort::Handle key) {
  return reinterpret_cast<HKEY>(key);
}

}  // namespace

std::int32_t Win32Registry::openKey(std::uint32_t root, std::string_view path, Handle& key) {
  HKEY opened = nullptr;
  const LONG status =
      RegOpenKeyExA(rootKey(root), std::string(path).c_str(), 0, KEY_QUERY_VALUE, &opened);
  if (status == ERROR_SUCCESS)
    key = reinterpret_cast<Handle>(opened);
  return status;
}

std::int32_t Win32Registry::queryValue(Handle key, std::string_view valueName, std::uint32_t& type,
                                       std::uint8_t* data, std::uint32_t& size) {
  DWORD valueType = 0;
  DWORD byteCount = size;
  const LONG status = RegQueryValueExA(keyOf(key), std::string(valueName).c_str(), nullptr,
                                       &valueType, data, &byteCount);
  type = valueType;
  size = byteCount;
  return status;
}

std::int32_t Win32Registry::closeKey(Handle key) {
  return RegCloseKey(keyOf(key));
}

}  // namespace hv
