#include "posix/reg_store/registry_store_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include "runtime/printable_text.h"

namespace hv {
namespace {

constexpr auto kLongestWait = std::chrono::seconds(10);
constexpr auto kLongestPause = std::chrono::milliseconds(50);

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path, int error) {
  throw std::runtime_error(what + " " + printablePath(path.string()) + ": " + std::strerror(error));
}

}  // namespace

RegistryStoreLock::RegistryStoreLock(const std::filesystem::path& file)
    : path_(file.string() + ".lock") {
  const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
  auto pause = std::chrono::milliseconds(1);
  while (!tryLock()) {
    if (std::chrono::steady_clock::now() >= deadline)
      throw std::runtime_error("the registry store is busy: another program holds " +
                               printablePath(path_.string()));
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, kLongestPause);
  }
}

RegistryStoreLock::~RegistryStoreLock() {
  ::unlink(path_.c_str());
  ::close(fd_);
}

// True once this process holds the lock on the file the lock path names now. A lock file its
// holder removed, or one put in its place, is not the lock: the caller tries again.
bool RegistryStoreLock::tryLock() {
  const int fd =
      ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0)
    fail("cannot create the lock file", path_, errno);
  struct stat held {};
  if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
    ::close(fd);
    throw std::runtime_error("the lock file " + printablePath(path_.string()) +
                             " is not a regular file");
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK || error == EINTR)
      return false;
    fail("cannot lock", path_, error);
  }
  struct stat named {};
  if (::lstat(path_.c_str(), &named) != 0 || named.st_ino != held.st_ino ||
      named.st_dev != held.st_dev) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

}  // namespace hv
