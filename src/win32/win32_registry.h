#pragma once

#include "platform/registry_port.h"

namespace hv {

// The registry through the three ANSI calls the library is allowed, with the query right only.
class Win32Registry : public RegistryPort {
 public:
  std::int32_t openKey(std::uint32_t root, std::string_view path, Handle& key) override;
  std::int32_t queryValue(Handle key, std::string_view valueName, std::uint32_t& type,
                          std::uint8_t* data, std::uint32_t& size) override;
  std::int32_t closeKey(Handle key) override;
};

}  // namespace hv
