#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/registration_key.h"
#include "posix/reg_store/registration_record.h"
#include "posix/reg_store/registry_store.h"

namespace hv {

// The only code that writes a registry store. In a folder store the registration keeps a file
// of its own, removed again when nothing is left in it. A store that is one file is rewritten
// as a whole, through a link to the file it names, keeping the file's permissions; what the
// registration overwrote there is kept beside it (RegistrationRecord) and put back when it is
// unregistered. Every write is a new file renamed over the old, so a reader sees the store
// before or after, never between; writers take turns under a lock beside the file. A store
// that does not exist yet is created. Throws std::runtime_error, leaving the store as it was,
// when the store cannot be read or written.
class RegistrationWriter {
 public:
  explicit RegistrationWriter(RegistryStore& store) : store_(store) {}

  // Creates the keys and sets the values; doing it twice leaves one copy.
  void registerEntries(const std::vector<RegistrationKey>& entries);
  // Takes back what registering set: each value still as it was set goes, or gets back what it
  // replaced, then each key it set left with no value and no subkey goes. Keys and values of
  // anyone else stay. `entries` names what to take back when no record says (a store
  // registered before records were kept): the values that still hold exactly these data.
  void unregisterEntries(const std::vector<RegistrationKey>& entries);

  // The file the writer rewrites.
  std::filesystem::path targetFile() const;

 private:
  struct Edit;

  bool isFolderStore() const;
  void checkReadable() const;
  // The target and its record as they stand, under the lock; null when there is no target and
  // `create` is false.
  std::unique_ptr<Edit> begin(const RegistryTree& fallback, bool create) const;
  void writeTarget(const RegistryTree& tree) const;
  void writeRecord(const RegistrationRecord& record) const;
  void removeRecord() const;

  RegistryStore& store_;
};

}  // namespace hv
