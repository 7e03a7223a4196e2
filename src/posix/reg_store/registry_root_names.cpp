#include "posix/reg_store/registry_root_names.h"

#include "platform/registry_names.h"
#include "platform/registry_port.h"
#include "posix/reg_store/registry_tree.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

struct RootName {
  std::uint32_t root;
  TextView name;
  TextView abbreviation;
};

constexpr std::uint32_t kHkeyUsers = 0x80000003;
constexpr std::uint32_t kHkeyCurrentConfig = 0x80000005;

constexpr RootName kRootNames[] = {
    {kHkeyClassesRoot, u"HKEY_CLASSES_ROOT", u"HKCR"},
    {kHkeyCurrentUser, u"HKEY_CURRENT_USER", u"HKCU"},
    {kHkeyLocalMachine, u"HKEY_LOCAL_MACHINE", u"HKLM"},
    {kHkeyUsers, u"HKEY_USERS", u"HKU"},
    {kHkeyCurrentConfig, u"HKEY_CURRENT_CONFIG", u"HKCC"},
};

}  // namespace

std::optional<std::uint32_t> registryRootByName(TextView name) {
  const Text folded = foldRegistryName(name);
  for (const auto& r : kRootNames) {
    if (folded == foldRegistryName(r.name) || folded == foldRegistryName(r.abbreviation))
      return r.root;
  }
  return std::nullopt;
}

std::string registryRootName(std::uint32_t root) {
  for (const auto& r : kRootNames) {
    if (r.root == root)
      return toUtf8(r.name);
  }
  return "HKEY_" + std::to_string(root);
}

std::pair<std::uint32_t, Text> splitClassesRoot(std::uint32_t root, Text path) {
  if (root == kHkeyClassesRoot)
    return {kHkeyLocalMachine, classesPath(path)};
  return {root, std::move(path)};
}

}  // namespace hv
