#include "posix/reg_store/registration_record.h"

#include <sys/stat.h>

#include <cerrno>

#include "posix/reg_store/file_replacement.h"
#include "posix/reg_store/reg_file_format.h"
#include "posix/reg_store/reg_file_text.h"
#include "posix/reg_store/registry_store.h"

namespace hv {
namespace fs = std::filesystem;
namespace {

// Both trees live in one file, each under a level of its own below every root.
constexpr TextView kWrittenLevel = u"Written";
constexpr TextView kReplacedLevel = u"Replaced";

void nestInto(RegistryTree& combined, const RegistryTree& tree, TextView level) {
  for (const auto& [root, keys] : tree.roots()) {
    for (const auto& [folded, key] : keys) {
      const Text path = key.path.empty() ? Text(level) : Text(level) + u"\\" + key.path;
      combined.createKey(root, path).values = key.values;
    }
  }
}

void takeFrom(const RegistryTree& combined, TextView level, RegistryTree& tree) {
  const Text folded = foldRegistryName(level);
  for (const auto& [root, keys] : combined.roots()) {
    for (const auto& [foldedPath, key] : keys) {
      if (foldedPath == folded)
        tree.createKey(root, u"").values = key.values;
      else if (foldedPath.starts_with(folded + u"\\"))
        tree.createKey(root, TextView(key.path).substr(level.size() + 1)).values = key.values;
    }
  }
}

}  // namespace

fs::path registrationRecordFile(const fs::path& storeFile) {
  return storeFile.string() + ".hvdetector-registration";
}

std::optional<RegistrationRecord> readRegistrationRecord(const fs::path& file) {
  struct stat info {};
  if (::lstat(file.c_str(), &info) != 0 && errno == ENOENT)
    return std::nullopt;
  RegistryTree combined;
  readRegFileAt(file, combined);
  RegistrationRecord record;
  takeFrom(combined, kWrittenLevel, record.written);
  takeFrom(combined, kReplacedLevel, record.replaced);
  return record;
}

void writeRegistrationRecord(const fs::path& file, const RegistrationRecord& record,
                             const fs::path& store) {
  RegistryTree combined;
  nestInto(combined, record.written, kWrittenLevel);
  nestInto(combined, record.replaced, kReplacedLevel);
  replaceFile(file, encodeRegFileText(formatRegFile(combined)), store);
}

}  // namespace hv
