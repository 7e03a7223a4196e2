#include "com/module_instance.h"

namespace hv {
namespace {

HMODULE loadedModule = nullptr;

}  // namespace

void setModuleHandle(HMODULE module) {
  loadedModule = module;
}

HMODULE moduleHandle() {
  return loadedModule;
}

std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(loadedModule, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace hv
