#include "com/registry_writer.h"

#include <olectl.h>

#include <iterator>
#include <optional>
#include <span>
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

void removeKeys(std::span<const RegistrationKey> keys) {
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
}

// Each class's keys begin with its own "CLSID\{...}" key; what comes before the first class is
// the type library's.
bool startsClass(const RegistrationKey& entry) {
  const TextView path = entry.path;
  return path.starts_with(u"CLSID\\") && path.find(u'\\', 6) == TextView::npos;
}

std::wstring defaultValue(HKEY root, const std::wstring& path) {
  wchar_t buffer[MAX_PATH * 4] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  if (RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  return buffer;
}

struct FileIdentity {
  DWORD volume;
  DWORD indexHigh;
  DWORD indexLow;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(const std::wstring& path) {
  const HANDLE file =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!known)
    return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// One file may have many names (another drive mapped onto the same folder, a short name, a
// link): names that differ are compared by the files they open.
bool sameFile(const std::wstring& first, const std::wstring& second) {
  if (_wcsicmp(first.c_str(), second.c_str()) == 0)
    return true;
  const auto identity = identityOf(first);
  return identity && identity == identityOf(second);
}

// The key that names a group's server: the class's InprocServer32, the type library's platform
// key.
const RegistrationKey* serverKey(std::span<const RegistrationKey> group,
                                 const std::wstring& module) {
  for (const auto& entry : group) {
    for (const auto& value : entry.values) {
      if (value.name.empty() && wide(value.data) == module)
        return &entry;
    }
  }
  return nullptr;
}

// A group belongs to another copy of the module when the key that names its server now names
// another file: that copy was registered after this one and its registration stays.
bool servedByAnotherCopy(const RegistrationKey& server, const std::wstring& module) {
  const std::wstring current = defaultValue(rootKey(server.root), wide(server.path));
  return !current.empty() && !sameFile(current, module);
}

// Windows keeps TypeLib in one view for 32- and 64-bit programs, so both widths of the module
// share the type library's version key: its name, FLAGS and HELPDIR belong to every width whose
// platform key ("win32", "win64") is still beside this one's.
bool anotherPlatformRegistered(const RegistrationKey& server) {
  const std::wstring path = wide(server.path);
  const auto cut = path.rfind(L'\\');
  HKEY platforms = nullptr;
  if (cut == std::wstring::npos ||
      RegOpenKeyExW(rootKey(server.root), path.substr(0, cut).c_str(), 0, KEY_ENUMERATE_SUB_KEYS,
                    &platforms) != ERROR_SUCCESS) {
    return false;
  }
  bool another = false;
  wchar_t name[256];
  for (DWORD index = 0; !another; ++index) {
    DWORD size = std::size(name);
    if (RegEnumKeyExW(platforms, index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    another = _wcsicmp(name, path.c_str() + cut + 1) != 0;
  }
  RegCloseKey(platforms);
  return another;
}

void removeTypeLibrary(std::span<const RegistrationKey> group, const RegistrationKey* server) {
  if (server != nullptr && anotherPlatformRegistered(*server))
    removeKeys(std::span(server, 1));
  else
    removeKeys(group);
}

// 32- and 64-bit programs see CLSID and Interface each in a view of their own, and every other
// key of the classes root (a class's ProgID) in one they share.
bool inOwnView(const RegistrationKey& entry) {
  const TextView path = entry.path;
  return path.starts_with(u"CLSID\\") || path.starts_with(u"Interface\\");
}

// Whether the other width's view still registers the class whose key `classKey` is: on a system
// of one width the flag is ignored and this width's own view, already emptied, is read.
bool registeredInOtherView(const RegistrationKey& classKey) {
  const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  HKEY key = nullptr;
  if (RegOpenKeyExW(rootKey(classKey.root), (wide(classKey.path) + L"\\InprocServer32").c_str(), 0,
                    KEY_QUERY_VALUE | otherView, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

// The class's own keys go; its ProgID stays while the other width's module serves the class.
void removeClass(std::span<const RegistrationKey> group) {
  std::vector<RegistrationKey> own;
  std::vector<RegistrationKey> shared;
  for (const auto& entry : group)
    (inOwnView(entry) ? own : shared).push_back(entry);
  removeKeys(own);
  if (!registeredInOtherView(group.front()))
    removeKeys(shared);
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

HRESULT removeRegistration(const std::vector<RegistrationKey>& keys,
                           const std::wstring& modulePath) {
  const std::span<const RegistrationKey> all(keys);
  bool removedAny = false;
  std::size_t begin = 0;
  while (begin < all.size()) {
    std::size_t end = begin + 1;
    while (end < all.size() && !startsClass(all[end]))
      ++end;
    const auto group = all.subspan(begin, end - begin);
    const RegistrationKey* server = serverKey(group, modulePath);
    if (server == nullptr || !servedByAnotherCopy(*server, modulePath)) {
      if (!startsClass(group.front()))
        removeTypeLibrary(group, server);
      else
        removeClass(group);
      removedAny = true;
    }
    begin = end;
  }
  // Every class and the type library belong to another copy: nothing of this one was registered.
  return removedAny ? S_OK : SELFREG_E_CLASS;
}

}  // namespace hv
