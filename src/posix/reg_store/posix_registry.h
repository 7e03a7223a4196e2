#pragma once

#include <map>
#include <memory>

#include "platform/registry_port.h"
#include "posix/reg_store/registry_store.h"

namespace hv {

// The registry port over a store of .reg files. An open key keeps the content it was opened
// on, so a store re-read between two queries never pulls a key out from under its handle.
class PosixRegistry : public RegistryPort {
 public:
  explicit PosixRegistry(RegistryStore& store) : store_(store) {}

  std::int32_t openKey(std::uint32_t root, std::string_view path, Handle& key) override;
  std::int32_t queryValue(Handle key, std::string_view valueName, std::uint32_t& type,
                          std::uint8_t* data, std::uint32_t& size) override;
  std::int32_t closeKey(Handle key) override;

  std::size_t openHandles() const { return open_.size(); }

 private:
  struct OpenKey {
    std::shared_ptr<const RegistryTree> tree;
    const RegistryKey* key;  // null for a key that exists only as the parent of others
  };

  RegistryStore& store_;
  std::map<Handle, OpenKey> open_;
  Handle nextHandle_ = 1;
};

}  // namespace hv
