#include "detect/registry_routines.h"

#include <string>
#include <vector>

#include "runtime/text_encoding.h"

namespace hv {

Text RegReadString(RegistryPort& registry, std::uint32_t root, TextView keyPath, TextView valueName,
                   TextView defaultText) {
  RegistryPort::Handle key = RegistryPort::kNullHandle;
  if (registry.openKey(root, toAnsi(keyPath), key) != kRegistrySuccess)
    return Text();

  const std::string name = toAnsi(valueName);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  registry.queryValue(key, name, type, nullptr, size);  // only the byte count matters

  // One spare byte keeps the buffer pointer valid when the value holds no bytes at all.
  std::vector<std::uint8_t> buffer(size + 1);
  Text result;
  if (registry.queryValue(key, name, type, buffer.data(), size) == kRegistrySuccess) {
    const std::size_t kept = size == 0 ? 0 : size - 1;
    result = fromAnsi(std::string_view(reinterpret_cast<const char*>(buffer.data()), kept));
  } else {
    result = Text(defaultText);
  }
  registry.closeKey(key);
  return result;
}

Text RegValueExists(RegistryPort& registry, std::uint32_t root, TextView keyPath,
                    TextView valueName) {
  RegistryPort::Handle key = RegistryPort::kNullHandle;
  registry.openKey(root, toAnsi(keyPath), key);  // a key that does not open leaves a null handle
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  const bool exists =
      registry.queryValue(key, toAnsi(valueName), type, nullptr, size) == kRegistrySuccess;
  registry.closeKey(key);
  return exists ? u"True" : u"False";
}

}  // namespace hv
