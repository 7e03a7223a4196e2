#pragma once

#include <filesystem>
#include <vector>

#include "control/registration.h"
#include "platform/posix/registry_store.h"

namespace hv {

// The only code that writes a registry store. A store that is one file is rewritten as a
// whole; in a folder store the registration keeps a file of its own, removed again when
// nothing is left in it. Every write is a new file renamed over the old, so a reader sees
// the store before or after, never between. Throws std::runtime_error, leaving the store as it
// was, when the store is malformed or cannot be written.
class RegistrationWriter {
 public:
  explicit RegistrationWriter(RegistryStore& store) : store_(store) {}

  // Creates the keys and sets the values; doing it twice leaves one copy.
  void registerEntries(const std::vector<RegistrationKey>& entries);
  // Removes the values the entries name, then each of their keys left with no value and no
  // subkey. Keys and values of anyone else stay.
  void unregisterEntries(const std::vector<RegistrationKey>& entries);

  // The file the writer rewrites.
  std::filesystem::path targetFile() const;

 private:
  RegistryTree readTarget() const;
  void writeTarget(const RegistryTree& tree) const;

  RegistryStore& store_;
};

}  // namespace hv
