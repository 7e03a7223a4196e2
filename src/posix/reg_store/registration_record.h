#pragma once

#include <filesystem>
#include <optional>

#include "posix/reg_store/registry_tree.h"

namespace hv {

// What unregistering needs to undo a registration in a store file shared with other data: the
// values the registration set, as it set them, and the values it overwrote, as they were. A
// value the registration set that has changed since is someone else's and is left alone.
struct RegistrationRecord {
  RegistryTree written;
  RegistryTree replaced;
};

// Where the record of `storeFile` is kept: beside it, in a .reg text of its own whose name ends
// in no ".reg", so that no store ever reads it as registry content.
std::filesystem::path registrationRecordFile(const std::filesystem::path& storeFile);

// The record in `file`, or nothing when there is none. Throws RegFileError when it is malformed.
std::optional<RegistrationRecord> readRegistrationRecord(const std::filesystem::path& file);
// A new record gets the permissions of `store`, the file whose values it keeps: it holds as much.
void writeRegistrationRecord(const std::filesystem::path& file, const RegistrationRecord& record,
                             const std::filesystem::path& store);

}  // namespace hv
