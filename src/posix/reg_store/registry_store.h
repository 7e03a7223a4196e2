#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "posix/reg_store/reg_file_error.h"
#include "posix/reg_store/registry_tree.h"

namespace hv {

// The registry as .reg files on disk: one file, or a folder whose .reg files apply in name
// order. The content is read again only when a file changed (size, modification time or
// inode) or files came or went, so every read sees the current state without re-parsing an
// unchanged store.
class RegistryStore {
 public:
  explicit RegistryStore(std::filesystem::path location);

  const std::filesystem::path& location() const { return location_; }

  // The content as the files stand now. While the store is missing, cannot be listed, or any
  // file is malformed or unreadable the store is empty, never half read: problem() says which
  // file and line.
  std::shared_ptr<const RegistryTree> snapshot();
  const std::optional<RegFileError>& problem() const { return problem_; }
  // Whether the problem is only that nothing exists at the location yet.
  bool missing() const { return missing_; }

 private:
  struct FileStamp {
    std::string path;
    std::uint64_t device, inode, size;
    std::int64_t seconds, nanoseconds;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
  };
  // The files as they stand, or why the location could not be listed (an errno value).
  struct Listing {
    std::vector<FileStamp> files;
    int error = 0;
    friend bool operator==(const Listing&, const Listing&) = default;
  };

  Listing list() const;
  void reload(const Listing& listing);

  std::filesystem::path location_;
  std::optional<Listing> loaded_;
  std::shared_ptr<const RegistryTree> tree_;
  std::optional<RegFileError> problem_;
  bool missing_ = false;
};

// A name ending in ".reg", in any case: the files a folder store is made of.
bool hasRegExtension(const std::filesystem::path& path);

// Reads one .reg file into `tree`; throws RegFileError naming the file.
void readRegFileAt(const std::filesystem::path& file, RegistryTree& tree);

}  // namespace hv
