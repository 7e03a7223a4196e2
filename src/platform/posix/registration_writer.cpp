#include "platform/posix/registration_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/posix/reg_file_format.h"
#include "platform/posix/reg_file_text.h"
#include "platform/posix/registry_root_names.h"
#include "platform/registry_port.h"

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

bool isEmpty(const RegistryTree& tree) {
  return std::all_of(tree.roots().begin(), tree.roots().end(),
                     [](const auto& root) { return root.second.empty(); });
}

[[noreturn]] void failWith(const std::string& what, const fs::path& path) {
  throw std::runtime_error(what + " " + path.string() + ": " + std::strerror(errno));
}

void writeFully(int fd, const std::string& bytes, const fs::path& path) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      failWith("cannot write", path);
    done += static_cast<std::size_t>(n);
  }
}

// A new file beside `target`, then renamed over it.
void replaceAtomically(const fs::path& target, const std::string& bytes) {
  std::error_code ignored;
  fs::create_directories(target.parent_path(), ignored);
  std::string temporary = target.string() + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0)
    failWith("cannot create a file beside", target);
  try {
    writeFully(fd, bytes, temporary);
    if (::fsync(fd) != 0)
      failWith("cannot write", temporary);
  } catch (...) {
    ::close(fd);
    ::unlink(temporary.c_str());
    throw;
  }
  ::close(fd);
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    errno = saved;
    failWith("cannot replace", target);
  }
}

}  // namespace

fs::path RegistrationWriter::targetFile() const {
  const fs::path& location = store_.location();
  std::error_code error;
  const bool folder =
      fs::exists(location, error) ? fs::is_directory(location, error) : !hasRegExtension(location);
  return folder ? location / kOwnFileName : location;
}

RegistryTree RegistrationWriter::readTarget() const {
  store_.snapshot();
  if (store_.problem())
    throw std::runtime_error(std::string("the registry store is malformed, nothing written: ") +
                             store_.problem()->what());
  RegistryTree tree;
  std::error_code error;
  if (fs::exists(targetFile(), error))
    readRegFileAt(targetFile(), tree);
  return tree;
}

void RegistrationWriter::writeTarget(const RegistryTree& tree) const {
  const fs::path target = targetFile();
  if (isEmpty(tree) && target.filename() == kOwnFileName) {
    if (::unlink(target.c_str()) != 0 && errno != ENOENT)
      failWith("cannot remove", target);
    return;
  }
  replaceAtomically(target, encodeRegFileText(formatRegFile(tree)));
}

void RegistrationWriter::registerEntries(const std::vector<RegistrationKey>& entries) {
  RegistryTree tree = readTarget();
  for (const auto& entry : entries) {
    const auto [root, path] = splitClassesRoot(entry.root, entry.path);
    RegistryKey& key = tree.createKey(root, path);
    for (const auto& v : entry.values)
      key.values[foldRegistryName(v.name)] =
          RegistryValue{v.name, kRegSz, stringValueBytes(v.data)};
  }
  writeTarget(tree);
}

void RegistrationWriter::unregisterEntries(const std::vector<RegistrationKey>& entries) {
  RegistryTree tree = readTarget();
  // Deepest keys first, so a parent is judged empty only after its own subkeys went.
  std::vector<const RegistrationKey*> deepestFirst;
  for (const auto& entry : entries)
    deepestFirst.push_back(&entry);
  std::stable_sort(deepestFirst.begin(), deepestFirst.end(),
                   [](const auto* a, const auto* b) { return a->path.size() > b->path.size(); });
  for (const RegistrationKey* entry : deepestFirst) {
    const auto [root, path] = splitClassesRoot(entry->root, entry->path);
    RegistryKey* key = tree.findKey(root, path);
    if (key == nullptr)
      continue;
    for (const auto& v : entry->values)
      key->values.erase(foldRegistryName(v.name));
    if (key->values.empty() && !tree.hasSubkeys(root, path))
      tree.deleteKey(root, path);
  }
  writeTarget(tree);
}

}  // namespace hv
