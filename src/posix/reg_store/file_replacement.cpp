#include "posix/reg_store/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>

#include "runtime/printable_text.h"

namespace hv {
namespace fs = std::filesystem;
namespace {

constexpr int kMostLinks = 40;  // as the kernel follows them
constexpr int kMostNameTries = 100;

[[noreturn]] void failWith(const std::string& what, const fs::path& path, int error) {
  throw std::runtime_error(what + " " + printablePath(path.string()) + ": " + std::strerror(error));
}

class OpenFile {
 public:
  OpenFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~OpenFile() {
    if (fd_ >= 0)
      ::close(fd_);
    if (!kept_)
      ::unlink(path_.c_str());
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  void close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
      failWith("cannot write", path_, errno);
  }
  void keep() { kept_ = true; }

 private:
  int fd_;
  std::string path_;
  bool kept_ = false;
};

// A new file of our own beside `target`; the name ends in no ".reg", so no reader of a folder
// store takes it for a store file. Created with 0666, so the umask applies as to any new file.
std::unique_ptr<OpenFile> createBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (int attempt = 0; attempt < kMostNameTries; ++attempt) {
    const std::string name = target.string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                             std::to_string(counter++) + "-" + std::to_string(random() % 100000);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0)
      return std::make_unique<OpenFile>(fd, name);
    if (errno != EEXIST)
      failWith("cannot create a file beside", target, errno);
  }
  failWith("cannot create a file beside", target, EEXIST);
}

std::optional<mode_t> permissionsOf(const fs::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0)
    return std::nullopt;
  return info.st_mode & 07777;
}

void writeFully(const OpenFile& file, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(file.fd(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      failWith("cannot write", file.path(), n < 0 ? errno : EIO);
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

void replaceFile(const fs::path& target, const std::string& bytes, const fs::path& modeOf) {
  const auto file = createBeside(target);
  auto mode = permissionsOf(target);
  if (!mode && !modeOf.empty())
    mode = permissionsOf(modeOf);
  if (mode && ::fchmod(file->fd(), *mode) != 0)
    failWith("cannot set the permissions of", file->path(), errno);
  writeFully(*file, bytes);
  if (::fsync(file->fd()) != 0)
    failWith("cannot write", file->path(), errno);
  file->close();
  if (::rename(file->path().c_str(), target.c_str()) != 0)
    failWith("cannot replace", target, errno);
  file->keep();
}

void removeFile(const fs::path& file) {
  if (::unlink(file.c_str()) != 0 && errno != ENOENT)
    failWith("cannot remove", file, errno);
}

fs::path throughLinks(fs::path path) {
  for (int hops = 0; hops < kMostLinks; ++hops) {
    std::error_code error;
    if (!fs::is_symlink(path, error))
      break;
    const fs::path next = fs::read_symlink(path, error);
    if (error)
      break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

}  // namespace hv
