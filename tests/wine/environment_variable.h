#pragma once

#include <windows.h>

#include <string>

namespace hv::client {

// The variable's value in this process's environment; empty when it is not set.
inline std::wstring environmentVariable(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  const DWORD length =
      GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  value.resize(length < value.size() ? length : 0);
  return value;
}

}  // namespace hv::client
