#include "detect/registry_routines.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

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

  // The byte count comes from data anyone may have written: a count too large to allocate only
  // makes the data query impossible, which reads as the default. One spare byte keeps the
  // buffer pointer valid when the value holds no bytes at all.
  const std::uint32_t capacity = size;
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[std::size_t{size} + 1]);
  Text result(defaultText);
  if (buffer && registry.queryValue(key, name, type, buffer.get(), size) == kRegistrySuccess) {
    const std::size_t stored = std::min(size, capacity);
    const std::size_t kept = stored == 0 ? 0 : stored - 1;
    result = fromAnsi(std::string_view(reinterpret_cast<const char*>(buffer.get()), kept));
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
