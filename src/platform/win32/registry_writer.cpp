#include "platform/win32/registry_writer.h"

#include <string>

namespace hv {
namespace {

HKEY rootKey(RegistryRoot root) {
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

std::wstring wide(TextView text) {
  return std::wstring(text.begin(), text.end());
}

LONG writeKey(const RegistrationKey& entry) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(rootKey(entry.root), wide(entry.path).c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS)
    return status;
  for (const auto& value : entry.values) {
    const std::wstring data = wide(value.data);
    status = RegSetValueExW(key, wide(value.name).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS)
      break;
  }
  RegCloseKey(key);
  return status;
}

bool isEmpty(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  DWORD subkeys = 0;
  DWORD values = 0;
  const LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                       &values, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

void deleteValues(HKEY root, const RegistrationKey& entry) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, wide(entry.path).c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return;
  for (const auto& value : entry.values)
    RegDeleteValueW(key, wide(value.name).c_str());
  RegCloseKey(key);
}

void deleteIfEmpty(HKEY root, const std::wstring& path) {
  if (isEmpty(root, path))
    RegDeleteKeyW(root, path.c_str());
}

}  // namespace

HRESULT writeRegistration(const std::vector<RegistrationKey>& keys) {
  for (const auto& entry : keys) {
    const LONG status = writeKey(entry);
    if (status != ERROR_SUCCESS)
      return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

HRESULT removeRegistration(const std::vector<RegistrationKey>& keys) {
  for (auto entry = keys.rbegin(); entry != keys.rend(); ++entry) {
    const HKEY root = rootKey(entry->root);
    deleteValues(root, *entry);
    std::wstring path = wide(entry->path);
    deleteIfEmpty(root, path);
    for (auto cut = path.rfind(L'\\'); cut != std::wstring::npos; cut = path.rfind(L'\\')) {
      path.resize(cut);
      if (path.find(L'\\') == std::wstring::npos)
        break;  // a shared top-level key
      deleteIfEmpty(root, path);
    }
  }
  return S_OK;
}

}  // namespace hv
