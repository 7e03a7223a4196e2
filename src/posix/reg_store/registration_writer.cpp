#include "posix/reg_store/registration_writer.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "platform/registry_port.h"
#include "posix/reg_store/file_replacement.h"
#include "posix/reg_store/reg_file_format.h"
#include "posix/reg_store/reg_file_text.h"
#include "posix/reg_store/registry_root_names.h"
#include "posix/reg_store/registry_store_lock.h"
#include "runtime/printable_text.h"

namespace hv {
namespace fs = std::filesystem;
namespace {

constexpr char kOwnFileName[] = "hvdetector-registration.reg";

std::vector<std::uint8_t> stringValueBytes(TextView text) {
  std::vector<std::uint8_t> bytes;
  for (const char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

// The entries as the registration stores them: classes-root keys under the machine's classes.
RegistryTree treeOf(const std::vector<RegistrationKey>& entries) {
  RegistryTree tree;
  for (const auto& entry : entries) {
    const auto [root, path] = splitClassesRoot(entry.root, entry.path);
    RegistryKey& key = tree.createKey(root, path);
    for (const auto& v : entry.values)
      key.values[foldRegistryName(v.name)] = {v.name, kRegSz, stringValueBytes(v.data)};
  }
  return tree;
}

const RegistryValue* findValue(const RegistryTree& tree, std::uint32_t root, TextView path,
                               const Text& folded) {
  const RegistryKey* key = tree.findKey(root, path);
  if (key == nullptr)
    return nullptr;
  const auto it = key->values.find(folded);
  return it == key->values.end() ? nullptr : &it->second;
}

bool isEmpty(const RegistryTree& tree) {
  return std::all_of(tree.roots().begin(), tree.roots().end(),
                     [](const auto& root) { return root.second.empty(); });
}

bool isPresent(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

}  // namespace

struct RegistrationWriter::Edit {
  explicit Edit(const fs::path& target) : lock(target) {}
  RegistryStoreLock lock;
  RegistryTree tree;
  RegistrationRecord record;
};

bool RegistrationWriter::isFolderStore() const {
  const fs::path& location = store_.location();
  std::error_code error;
  return fs::exists(location, error) ? fs::is_directory(location, error)
                                     : !hasRegExtension(location);
}

fs::path RegistrationWriter::targetFile() const {
  return isFolderStore() ? store_.location() / kOwnFileName : throughLinks(store_.location());
}

void RegistrationWriter::checkReadable() const {
  store_.snapshot();
  if (store_.problem() && !store_.missing())
    throw std::runtime_error(std::string("the registry store cannot be read, nothing written: ") +
                             store_.problem()->what());
}

std::unique_ptr<RegistrationWriter::Edit> RegistrationWriter::begin(const RegistryTree& fallback,
                                                                    bool create) const {
  // Nothing is made beside a store that cannot be read; checked again under the lock, since
  // another writer may have changed it meanwhile.
  checkReadable();
  const fs::path target = targetFile();
  if (!create && !isPresent(target))
    return nullptr;
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  if (error)
    throw std::runtime_error("cannot create the folder " +
                             printablePath(target.parent_path().string()) + ": " + error.message());
  auto edit = std::make_unique<Edit>(target);
  checkReadable();
  if (isPresent(target))
    readRegFileAt(target, edit->tree);
  if (isFolderStore()) {
    // The registration's own file holds nothing but what it wrote.
    edit->record.written = edit->tree;
  } else if (auto record = readRegistrationRecord(registrationRecordFile(target))) {
    edit->record = std::move(*record);
  } else {
    edit->record.written = fallback;
  }
  return edit;
}

void RegistrationWriter::writeTarget(const RegistryTree& tree) const {
  const fs::path target = targetFile();
  if (isEmpty(tree) && isFolderStore())
    removeFile(target);
  else
    replaceFile(target, encodeRegFileText(formatRegFile(tree)));
}

void RegistrationWriter::writeRecord(const RegistrationRecord& record) const {
  if (!isFolderStore())
    writeRegistrationRecord(registrationRecordFile(targetFile()), record, targetFile());
}

void RegistrationWriter::removeRecord() const {
  if (!isFolderStore())
    removeFile(registrationRecordFile(targetFile()));
}

void RegistrationWriter::registerEntries(const std::vector<RegistrationKey>& entries) {
  const auto edit = begin(RegistryTree(), true);
  RegistryTree& tree = edit->tree;
  RegistrationRecord& record = edit->record;
  const RegistrationRecord before = record;
  const bool hadRecord = !isFolderStore() && isPresent(registrationRecordFile(targetFile()));
  const RegistryTree wanted = treeOf(entries);
  for (const auto& [root, keys] : wanted.roots()) {
    for (const auto& [folded, key] : keys) {
      tree.createKey(root, key.path);
      record.written.createKey(root, key.path);
      for (const auto& [name, value] : key.values) {
        const RegistryValue* current = findValue(tree, root, key.path, name);
        const RegistryValue* wrote = findValue(record.written, root, key.path, name);
        // Anything but what this registration set is someone else's, to be put back.
        if (current == nullptr || wrote == nullptr || *current != *wrote) {
          if (current != nullptr)
            record.replaced.createKey(root, key.path).values[name] = *current;
          else if (RegistryKey* replaced = record.replaced.findKey(root, key.path))
            replaced->values.erase(name);
        }
        tree.createKey(root, key.path).values[name] = value;
        record.written.createKey(root, key.path).values[name] = value;
      }
    }
  }
  // The record first: a store written without it would lose what it replaced. A store left as
  // it was keeps the record it had, or none.
  writeRecord(record);
  try {
    writeTarget(tree);
  } catch (const std::runtime_error&) {
    try {
      if (hadRecord)
        writeRecord(before);
      else
        removeRecord();
    } catch (const std::runtime_error&) {
    }
    throw;
  }
}

void RegistrationWriter::unregisterEntries(const std::vector<RegistrationKey>& entries) {
  const auto edit = begin(treeOf(entries), false);
  if (!edit)
    return;
  RegistryTree& tree = edit->tree;
  const RegistrationRecord& record = edit->record;
  // Deepest keys first, so a parent is judged empty only after its own subkeys went.
  std::vector<std::pair<std::uint32_t, const RegistryKey*>> deepestFirst;
  for (const auto& [root, keys] : record.written.roots()) {
    for (const auto& [folded, key] : keys)
      deepestFirst.emplace_back(root, &key);
  }
  std::stable_sort(deepestFirst.begin(), deepestFirst.end(), [](const auto& a, const auto& b) {
    return a.second->path.size() > b.second->path.size();
  });
  for (const auto& [root, written] : deepestFirst) {
    RegistryKey* key = tree.findKey(root, written->path);
    if (key == nullptr)
      continue;
    for (const auto& [name, value] : written->values) {
      const auto current = key->values.find(name);
      if (current == key->values.end() || current->second != value)
        continue;
      if (const RegistryValue* before = findValue(record.replaced, root, written->path, name))
        current->second = *before;
      else
        key->values.erase(current);
    }
    if (key->values.empty() && !tree.hasSubkeys(root, written->path))
      tree.deleteKey(root, written->path);
  }
  writeTarget(tree);
  removeRecord();
}

}  // namespace hv
