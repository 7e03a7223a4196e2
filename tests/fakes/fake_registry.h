#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/registry_names.h"
#include "platform/registry_port.h"
#include "runtime/text_encoding.h"

namespace hv::testing {

// An in-memory registry with the Windows call semantics, counting opens and closes so a test can
// tell that every opened key was closed. Names compare as the registry's do; the parents of a
// key exist; the classes root is the merge of the user's and the machine's classes, and a key
// set through it lands where Windows puts it.
class FakeRegistry : public RegistryPort {
 public:
  void setValue(std::uint32_t root, const std::string& path, const std::string& name,
                std::uint32_t type, std::vector<std::uint8_t> bytes) {
    keys_[where(root, path)][fold(name)] = {type, std::move(bytes)};
  }
  // A string value as Windows stores it: its ANSI bytes and a terminating NUL.
  void setString(std::uint32_t root, const std::string& path, const std::string& name,
                 const std::string& ansi) {
    std::vector<std::uint8_t> bytes(ansi.begin(), ansi.end());
    bytes.push_back(0);
    setValue(root, path, name, kRegSz, std::move(bytes));
  }
  void addKey(std::uint32_t root, const std::string& path) { keys_[where(root, path)]; }
  void removeKey(std::uint32_t root, const std::string& path) { keys_.erase(where(root, path)); }
  void removeValue(std::uint32_t root, const std::string& path, const std::string& name) {
    keys_[where(root, path)].erase(fold(name));
  }

  int opens() const { return opens_; }
  int closes() const { return closes_; }
  std::size_t openHandles() const { return open_.size(); }
  int dataQueries() const { return dataQueries_; }

  // Runs after every size-only query, before the caller's data query: a test grows or removes
  // the value in between, as another process may.
  std::function<void()> afterSizeQuery;
  // When set, what every size-only query reports instead of the true byte count.
  std::optional<std::uint32_t> reportedSize;

  std::int32_t openKey(std::uint32_t root, std::string_view path, Handle& key) override {
    if (root != kHkeyClassesRoot && root != kHkeyCurrentUser && root != kHkeyLocalMachine)
      return kRegistryInvalidHandle;
    const KeyId id = where(root, std::string(path));
    if (!exists(id))
      return kRegistryFileNotFound;
    ++opens_;
    key = nextHandle_++;
    open_[key] = id;
    return kRegistrySuccess;
  }

  std::int32_t queryValue(Handle key, std::string_view name, std::uint32_t& type,
                          std::uint8_t* data, std::uint32_t& size) override {
    const auto handle = open_.find(key);
    if (handle == open_.end())
      return kRegistryInvalidHandle;
    const auto& values = keys_[handle->second];
    const auto it = values.find(fold(std::string(name)));
    if (it == values.end())
      return kRegistryFileNotFound;
    const auto& [valueType, bytes] = it->second;
    type = valueType;
    if (data == nullptr) {
      size = reportedSize.value_or(static_cast<std::uint32_t>(bytes.size()));
      if (afterSizeQuery)
        afterSizeQuery();
      return kRegistrySuccess;
    }
    ++dataQueries_;
    if (size < bytes.size()) {
      size = static_cast<std::uint32_t>(bytes.size());
      return kRegistryMoreData;
    }
    if (!bytes.empty())
      std::memcpy(data, bytes.data(), bytes.size());
    size = static_cast<std::uint32_t>(bytes.size());
    return kRegistrySuccess;
  }

  std::int32_t closeKey(Handle key) override {
    if (open_.erase(key) == 0)
      return kRegistryInvalidHandle;
    ++closes_;
    return kRegistrySuccess;
  }

 private:
  using KeyId = std::tuple<std::uint32_t, Text>;
  static Text fold(const std::string& name) { return foldRegistryName(fromAnsi(name)); }
  // A key exists when it was set, or when a key below it was.
  bool exists(const KeyId& id) const {
    if (keys_.contains(id))
      return true;
    const auto& [root, path] = id;
    const Text below = path.empty() ? Text() : path + u"\\";
    const auto next = keys_.lower_bound({root, below});
    return next != keys_.end() && std::get<0>(next->first) == root &&
           std::get<1>(next->first).starts_with(below);
  }
  KeyId where(std::uint32_t root, const std::string& path) const {
    const Text folded = foldRegistryName(trimKeyPath(fromAnsi(path)));
    if (root != kHkeyClassesRoot)
      return {root, folded};
    const KeyId user{kHkeyCurrentUser, foldRegistryName(classesPath(folded))};
    return exists(user) ? user : KeyId{kHkeyLocalMachine, std::get<1>(user)};
  }
  std::map<KeyId, std::map<Text, std::pair<std::uint32_t, std::vector<std::uint8_t>>>> keys_;
  std::map<Handle, KeyId> open_;
  Handle nextHandle_ = 0x100;
  int opens_ = 0;
  int closes_ = 0;
  int dataQueries_ = 0;
};

}  // namespace hv::testing
