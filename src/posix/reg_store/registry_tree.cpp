#include "posix/reg_store/registry_tree.h"

#include "platform/registry_names.h"
#include "platform/registry_port.h"
#include "posix/reg_store/registry_root_names.h"

namespace hv {

RegistryKey& RegistryTree::createKey(std::uint32_t root, TextView path) {
  const Text trimmed = trimKeyPath(path);
  RegistryKey& key = roots_[root][foldRegistryName(trimmed)];
  if (key.path.empty())
    key.path = trimmed;
  return key;
}

void RegistryTree::deleteKey(std::uint32_t root, TextView path) {
  const auto found = roots_.find(root);
  if (found == roots_.end())
    return;
  Keys& keys = found->second;
  const Text folded = foldRegistryName(trimKeyPath(path));
  if (folded.empty()) {
    keys.clear();
    return;
  }
  keys.erase(folded);
  const Text prefix = folded + u"\\";
  auto it = keys.lower_bound(prefix);
  while (it != keys.end() && it->first.starts_with(prefix))
    it = keys.erase(it);
}

const RegistryKey* RegistryTree::findKey(std::uint32_t root, TextView path) const {
  const auto found = roots_.find(root);
  if (found == roots_.end())
    return nullptr;
  const auto it = found->second.find(foldRegistryName(trimKeyPath(path)));
  return it == found->second.end() ? nullptr : &it->second;
}

RegistryKey* RegistryTree::findKey(std::uint32_t root, TextView path) {
  return const_cast<RegistryKey*>(std::as_const(*this).findKey(root, path));
}

bool RegistryTree::hasSubkeys(std::uint32_t root, TextView path) const {
  const auto found = roots_.find(root);
  if (found == roots_.end())
    return false;
  const Text folded = foldRegistryName(trimKeyPath(path));
  const Keys& keys = found->second;
  if (folded.empty())
    return !keys.empty() && !(keys.size() == 1 && keys.begin()->first.empty());
  const Text prefix = folded + u"\\";
  const auto it = keys.lower_bound(prefix);
  return it != keys.end() && it->first.starts_with(prefix);
}

bool RegistryTree::keyExists(std::uint32_t root, TextView path) const {
  return trimKeyPath(path).empty() || findKey(root, path) != nullptr || hasSubkeys(root, path);
}

std::pair<std::uint32_t, Text> RegistryTree::resolveClassesRoot(TextView path) const {
  Text inClasses = classesPath(trimKeyPath(path));
  if (keyExists(kHkeyCurrentUser, inClasses))
    return {kHkeyCurrentUser, std::move(inClasses)};
  return {kHkeyLocalMachine, std::move(inClasses)};
}

}  // namespace hv
