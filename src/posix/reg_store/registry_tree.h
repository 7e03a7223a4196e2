#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/registry_names.h"
#include "runtime/text.h"

namespace hv {

// One stored value. Strings (types 1, 2 and 7) keep their UTF-16LE bytes, as the registry
// itself keeps them; every other type keeps its raw bytes.
struct RegistryValue {
  Text name;  // as written; the empty name is the key's default value
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;

  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

struct RegistryKey {
  Text path;                             // as written, relative to its root
  std::map<Text, RegistryValue> values;  // by folded name

  friend bool operator==(const RegistryKey&, const RegistryKey&) = default;
};

// Registry content in memory: keys under their root, names compared case-insensitively. A key
// exists when it was created or when any key below it was, as parents always exist on Windows.
// The classes root is not a hive of its own: its keys live under each hive's Software\Classes.
class RegistryTree {
 public:
  using Keys = std::map<Text, RegistryKey>;  // by folded path

  RegistryKey& createKey(std::uint32_t root, TextView path);
  // Removes the key and every key below it.
  void deleteKey(std::uint32_t root, TextView path);
  // The key's own record, when it was created explicitly.
  const RegistryKey* findKey(std::uint32_t root, TextView path) const;
  RegistryKey* findKey(std::uint32_t root, TextView path);
  bool keyExists(std::uint32_t root, TextView path) const;
  bool hasSubkeys(std::uint32_t root, TextView path) const;

  // Where a classes-root path lies: the current user's classes when they have the key, the
  // machine's otherwise, as the merged view on Windows resolves it.
  std::pair<std::uint32_t, Text> resolveClassesRoot(TextView path) const;

  const std::map<std::uint32_t, Keys>& roots() const { return roots_; }

  friend bool operator==(const RegistryTree&, const RegistryTree&) = default;

 private:
  std::map<std::uint32_t, Keys> roots_;
};

}  // namespace hv
