#include "platform/posix/registry_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/posix/reg_file_reader.h"
#include "platform/posix/reg_file_text.h"

namespace hv {
namespace fs = std::filesystem;
bool hasRegExtension(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".reg";
}

void readRegFileAt(const fs::path& file, RegistryTree& tree) {
  std::ifstream in(file, std::ios::binary);
  if (!in)
    throw RegFileError(file.string(), 0, "cannot be opened");
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad())
    throw RegFileError(file.string(), 0, "cannot be read");
  try {
    readRegFile(decodeRegFileBytes(bytes), tree);
  } catch (const RegFileError& e) {
    throw e.inFile(file.string());
  }
}

RegistryStore::RegistryStore(fs::path location)
    : location_(std::move(location)), tree_(std::make_shared<RegistryTree>()) {}

std::vector<fs::path> RegistryStore::files() const {
  std::error_code error;
  if (!fs::is_directory(location_, error))
    return fs::exists(location_, error) ? std::vector<fs::path>{location_}
                                        : std::vector<fs::path>{};
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(location_, error)) {
    if (hasRegExtension(entry.path()) && !entry.is_directory(error))
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<RegistryStore::FileStamp> RegistryStore::stamps() const {
  std::vector<FileStamp> stamps;
  for (const auto& file : files()) {
    FileStamp stamp{file.string(), 0, 0, 0, 0, 0};
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
      stamp.device = info.st_dev;
      stamp.inode = info.st_ino;
      stamp.size = static_cast<std::uint64_t>(info.st_size);
      stamp.seconds = info.st_mtim.tv_sec;
      stamp.nanoseconds = info.st_mtim.tv_nsec;
    }
    stamps.push_back(std::move(stamp));
  }
  return stamps;
}

std::shared_ptr<const RegistryTree> RegistryStore::snapshot() {
  auto current = stamps();
  if (!loadedStamps_ || *loadedStamps_ != current) {
    loadedStamps_ = std::move(current);
    reload();
  }
  return tree_;
}

void RegistryStore::reload() {
  auto tree = std::make_shared<RegistryTree>();
  problem_.reset();
  try {
    for (const auto& file : files())
      readRegFileAt(file, *tree);
  } catch (const RegFileError& e) {
    problem_ = e;
    tree = std::make_shared<RegistryTree>();
  }
  tree_ = std::move(tree);
}

}  // namespace hv
