#include "posix/reg_store/reg_file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "posix/reg_store/reg_file_error.h"

namespace hv {
namespace {

const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode))
    return "a folder";
  if (S_ISFIFO(mode))
    return "a FIFO";
  if (S_ISCHR(mode))
    return "a character device";
  if (S_ISBLK(mode))
    return "a block device";
  if (S_ISSOCK(mode))
    return "a socket";
  return "a special file";
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void fail(const std::filesystem::path& file, const std::string& reason) {
  throw RegFileError(file.string(), 0, reason);
}

std::string tooLarge() {
  return "is larger than the " + std::to_string(kMaxRegFileBytes >> 20) +
         " MiB a registry file may hold";
}

}  // namespace

std::string readRegFileBytes(const std::filesystem::path& file) {
  // Non-blocking, so that opening a FIFO returns at once; what was opened is judged by fstat on
  // the descriptor itself, so the file cannot be swapped between the check and the read.
  const Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0)
    fail(file, std::string("cannot be opened: ") + std::strerror(errno));
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0)
    fail(file, std::string("cannot be examined: ") + std::strerror(errno));
  if (!S_ISREG(info.st_mode))
    fail(file, std::string("is not a regular file but ") + kindOf(info.st_mode));
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxRegFileBytes)
    fail(file, tooLarge());

  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  // One byte more than the cap may hold, to notice a file that grew after fstat.
  for (;;) {
    if (done == bytes.size())
      bytes.resize(std::min(kMaxRegFileBytes + 1, bytes.size() + 4096 + bytes.size() / 2));
    const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      fail(file, std::string("cannot be read: ") + std::strerror(errno));
    if (n == 0)
      break;
    done += static_cast<std::size_t>(n);
    if (done > kMaxRegFileBytes)
      fail(file, tooLarge());
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace hv
