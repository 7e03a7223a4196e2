#include "messaging/win32/browser_registration.h"

#include <windows.h>

#include <ostream>
#include <string_view>

#include "messaging/browser_keys.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

std::wstring wide(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

std::string utf8(const std::wstring& text) {
  return toUtf8(Text(text.begin(), text.end()));
}

std::wstring keyOf(const BrowserKey& browser) {
  return wide(hostKey(browser));
}

// %LOCALAPPDATA%\Corvantis\HVDetector\, made when missing; empty when there is none.
std::wstring manifestFolder() {
  wchar_t base[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return {};
  const std::wstring vendor = std::wstring(base) + L"\\Corvantis";
  CreateDirectoryW(vendor.c_str(), nullptr);
  const std::wstring folder = vendor + L"\\HVDetector";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\";
}

std::wstring manifestPath(const std::wstring& folder, ManifestKind manifest) {
  return folder + wide(manifestFileName(manifest));
}

bool writeFile(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size();
  CloseHandle(file);
  return ok;
}

bool setDefaultValue(const std::wstring& key, const std::wstring& value) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &opened, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG result =
      RegSetValueExW(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
  return result == ERROR_SUCCESS;
}

bool isGone(LONG result) {
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool registerWithBrowsers(const std::wstring& hostPath, std::ostream& out) {
  const std::wstring folder = manifestFolder();
  if (folder.empty()) {
    out << "not registered: the user has no local application data folder (LOCALAPPDATA)\n";
    return false;
  }
  for (const ManifestKind manifest : {ManifestKind::Chromium, ManifestKind::Firefox}) {
    const std::wstring path = manifestPath(folder, manifest);
    if (!writeFile(path, manifestText(manifest, utf8(hostPath)))) {
      out << "not registered: " << utf8(path) << " cannot be written\n";
      return false;
    }
  }
  bool all = true;
  for (const auto& browser : kBrowserKeys) {
    const std::wstring path = manifestPath(folder, browser.manifest);
    const bool set = setDefaultValue(keyOf(browser), path);
    out << browser.browser << ": "
        << (set ? "registered " : "not registered, the key cannot be set: ")
        << "HKEY_CURRENT_USER\\" << utf8(keyOf(browser)) << " -> " << utf8(path) << "\n";
    all = all && set;
  }
  return all;
}

bool unregisterFromBrowsers(std::ostream& out) {
  bool all = true;
  for (const auto& browser : kBrowserKeys) {
    const bool gone = isGone(RegDeleteKeyW(HKEY_CURRENT_USER, keyOf(browser).c_str()));
    out << browser.browser << ": " << (gone ? "unregistered" : "the key cannot be removed") << "\n";
    all = all && gone;
  }
  if (const std::wstring folder = manifestFolder(); !folder.empty()) {
    for (const ManifestKind manifest : {ManifestKind::Chromium, ManifestKind::Firefox})
      DeleteFileW(manifestPath(folder, manifest).c_str());
    RemoveDirectoryW(folder.c_str());
  }
  return all;
}

}  // namespace hv
