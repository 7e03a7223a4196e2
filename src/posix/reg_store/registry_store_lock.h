#pragma once

#include <filesystem>

namespace hv {

// The advisory lock that makes one writer's read-modify-write of a store file whole: an
// exclusive flock on "<file>.lock". The lock file is made for the holder and removed on release,
// so a store carries no leftovers; a waiter that finds it replaced takes the new one instead.
// Waits at most a few seconds for another writer, then throws std::runtime_error.
class RegistryStoreLock {
 public:
  explicit RegistryStoreLock(const std::filesystem::path& file);
  ~RegistryStoreLock();
  RegistryStoreLock(const RegistryStoreLock&) = delete;
  RegistryStoreLock& operator=(const RegistryStoreLock&) = delete;

 private:
  bool tryLock();

  std::filesystem::path path_;
  int fd_ = -1;
};

}  // namespace hv
