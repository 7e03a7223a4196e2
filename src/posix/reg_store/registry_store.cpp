#include "posix/reg_store/registry_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "posix/reg_store/reg_file_bytes.h"
#include "posix/reg_store/reg_file_reader.h"
#include "posix/reg_store/reg_file_text.h"

namespace hv {
namespace fs = std::filesystem;
bool hasRegExtension(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".reg";
}

void readRegFileAt(const fs::path& file, RegistryTree& tree) {
  const std::string bytes = readRegFileBytes(file);
  try {
    readRegFile(decodeRegFileBytes(bytes), tree);
  } catch (const RegFileError& e) {
    throw e.inFile(file.string());
  }
}

RegistryStore::RegistryStore(fs::path location)
    : location_(std::move(location)), tree_(std::make_shared<RegistryTree>()) {}

RegistryStore::Listing RegistryStore::list() const {
  Listing listing;
  struct stat info {};
  if (::stat(location_.c_str(), &info) != 0) {
    listing.error = errno;
    return listing;
  }
  std::vector<fs::path> files;
  if (S_ISDIR(info.st_mode)) {
    std::error_code error;
    fs::directory_iterator entry(location_, error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
      // Folders are not store files, whatever their name; everything else named .reg is one,
      // to be read or refused by name.
      std::error_code ignored;
      if (hasRegExtension(entry->path()) && !entry->is_directory(ignored))
        files.push_back(entry->path());
    }
    if (error) {
      listing.error = error.value();
      return listing;
    }
    std::sort(files.begin(), files.end());
  } else {
    files.push_back(location_);
  }
  for (const auto& file : files) {
    // Zeros for a file that cannot be examined: reading it names the fault.
    FileStamp stamp{file.string(), 0, 0, 0, 0, 0};
    if (::stat(file.c_str(), &info) == 0) {
      stamp.device = info.st_dev;
      stamp.inode = info.st_ino;
      stamp.size = static_cast<std::uint64_t>(info.st_size);
      stamp.seconds = info.st_mtim.tv_sec;
      stamp.nanoseconds = info.st_mtim.tv_nsec;
    }
    listing.files.push_back(std::move(stamp));
  }
  return listing;
}

std::shared_ptr<const RegistryTree> RegistryStore::snapshot() {
  Listing current = list();
  if (!loaded_ || *loaded_ != current) {
    reload(current);
    loaded_ = std::move(current);
  }
  return tree_;
}

void RegistryStore::reload(const Listing& listing) {
  auto tree = std::make_shared<RegistryTree>();
  problem_.reset();
  missing_ = listing.error == ENOENT;
  try {
    if (missing_)
      throw RegFileError(location_.string(), 0, "the registry store does not exist");
    if (listing.error != 0)
      throw RegFileError(
          location_.string(), 0,
          std::string("the registry store cannot be listed: ") + std::strerror(listing.error));
    for (const auto& file : listing.files)
      readRegFileAt(file.path, *tree);
  } catch (const RegFileError& e) {
    problem_ = e;
    tree = std::make_shared<RegistryTree>();
  }
  tree_ = std::move(tree);
}

}  // namespace hv
