#include "win32/win32_this_module.h"

namespace hv {

HINSTANCE portsModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&portsModule), &module);
  return module;
}

}  // namespace hv
