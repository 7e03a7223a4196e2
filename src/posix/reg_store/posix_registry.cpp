#include "posix/reg_store/posix_registry.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>

#include "runtime/text_encoding.h"

namespace hv {
namespace {

bool isStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// The bytes the ANSI query hands out: strings converted unit by unit, so a terminating NUL
// (or its absence) carries over; any other type as stored. A stray odd byte of a string
// cannot form a character and is dropped.
std::string ansiBytes(const RegistryValue& value) {
  const auto& data = value.data;
  if (!isStringType(value.type))
    return std::string(data.begin(), data.end());
  Text text;
  text.reserve(data.size() / 2);
  for (std::size_t i = 0; i + 1 < data.size(); i += 2)
    text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  return toAnsi(text);
}

}  // namespace

std::int32_t PosixRegistry::openKey(std::uint32_t root, std::string_view path, Handle& key) {
  if (root != kHkeyClassesRoot && root != kHkeyCurrentUser && root != kHkeyLocalMachine)
    return kRegistryInvalidHandle;
  auto tree = store_.snapshot();
  std::uint32_t hive = root;
  Text keyPath = fromAnsi(path);
  if (root == kHkeyClassesRoot)
    std::tie(hive, keyPath) = tree->resolveClassesRoot(keyPath);
  if (!tree->keyExists(hive, keyPath))
    return kRegistryFileNotFound;
  const RegistryKey* found = tree->findKey(hive, keyPath);
  key = nextHandle_++;
  open_[key] = OpenKey{std::move(tree), found};
  return kRegistrySuccess;
}

std::int32_t PosixRegistry::queryValue(Handle key, std::string_view valueName, std::uint32_t& type,
                                       std::uint8_t* data, std::uint32_t& size) {
  const auto handle = open_.find(key);
  if (handle == open_.end())
    return kRegistryInvalidHandle;
  const RegistryKey* stored = handle->second.key;
  if (stored == nullptr)
    return kRegistryFileNotFound;
  const auto value = stored->values.find(foldRegistryName(fromAnsi(valueName)));
  if (value == stored->values.end())
    return kRegistryFileNotFound;

  const std::string bytes = ansiBytes(value->second);
  const auto count = static_cast<std::uint32_t>(
      std::min<std::size_t>(bytes.size(), std::numeric_limits<std::uint32_t>::max()));
  type = value->second.type;
  if (data == nullptr) {
    size = count;
    return kRegistrySuccess;
  }
  const bool fits = size >= count;
  size = count;
  if (!fits)
    return kRegistryMoreData;
  std::memcpy(data, bytes.data(), count);
  return kRegistrySuccess;
}

std::int32_t PosixRegistry::closeKey(Handle key) {
  return open_.erase(key) == 1 ? kRegistrySuccess : kRegistryInvalidHandle;
}

}  // namespace hv
