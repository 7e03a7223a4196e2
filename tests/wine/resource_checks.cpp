// The resources embedded in the module, read back as the system finds them.
#include <algorithm>
#include <vector>

#include "client_checks.h"
#include "control/resources.h"

namespace hv::client {
namespace {

std::vector<std::uint8_t> resourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found)
    return {};
  HGLOBAL loaded = LoadResource(module, found);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  return bytes ? std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module, found))
               : std::vector<std::uint8_t>();
}

std::wstring versionField(const std::vector<std::uint8_t>& block, const wchar_t* field) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + field;
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &length))
    return L"<missing>";
  return std::wstring(static_cast<const wchar_t*>(value), length ? length - 1 : 0);
}

void checkVersionBlock(Checks& checks, const std::wstring& modulePath) {
  DWORD handle = 0;
  std::vector<std::uint8_t> block(GetFileVersionInfoSizeW(modulePath.c_str(), &handle));
  checks.check(
      "the module has a version block",
      !block.empty() && GetFileVersionInfoW(modulePath.c_str(), 0, static_cast<DWORD>(block.size()),
                                            block.data()));
  if (block.empty())
    return;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
    checks.equal("numeric file version",
                 std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                     std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                     std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                     std::to_string(LOWORD(fixed->dwFileVersionLS)),
                 std::string("1.4.0.8"));
    checks.equal("a dynamic-link library", fixed->dwFileType, DWORD{VFT_DLL});
  }
  for (const auto& field : versionInfo().fields) {
    const std::wstring name(field.name.begin(), field.name.end());
    checks.equal("version field " + std::string(field.name), versionField(block, name.c_str()),
                 std::wstring(field.value.begin(), field.value.end()));
  }
}

}  // namespace

void checkResources(Checks& checks, const std::wstring& modulePath) {
  HMODULE module = LoadLibraryExW(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  checks.check("the module opens for its resources", module != nullptr);
  if (!module)
    return;
  checks.check("type library 1 is embedded",
               !resourceBytes(module, MAKEINTRESOURCEW(1), L"TYPELIB").empty());
  for (int id : {kInetDownloaderBitmap, kBaseBitmap}) {
    checks.check(
        "bitmap " + std::to_string(id) + " is the toolbox bitmap",
        resourceBytes(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2)) == toolboxBitmap(id));
  }
  for (const auto& list : identifierListResources()) {
    const std::wstring name(list.name.begin(), list.name.end());
    checks.check("identifier list " + std::string(list.name),
                 resourceBytes(module, name.c_str(), L"CUSTOM") == list.bytes);
  }
  FreeLibrary(module);
  checkVersionBlock(checks, modulePath);
}

}  // namespace hv::client
