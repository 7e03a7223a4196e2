#include "host/descriptor_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace hv {

DescriptorOutput::DescriptorOutput(int fd, std::string name, int failure)
    : fd_(fd), name_(std::move(name)), failure_(failure) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

// Whatever is left goes out, but a destructor has no one to tell of a failure; the host flushes
// before it ends, where a failure is still reported.
DescriptorOutput::~DescriptorOutput() {
  try {
    drain();
  } catch (const OutputError&) {
  }
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  drain();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

std::streamsize DescriptorOutput::xsputn(const char* s, std::streamsize n) {
  const auto size = static_cast<std::size_t>(n);
  if (size <= static_cast<std::size_t>(epptr() - pptr())) {
    std::memcpy(pptr(), s, size);
    pbump(static_cast<int>(n));
    return n;
  }
  drain();
  writeAll(s, size);
  return n;
}

int DescriptorOutput::sync() {
  drain();
  return 0;
}

// The buffered bytes are given up whether or not they get through: a failure is reported once
// for them, not again at the next flush.
void DescriptorOutput::drain() {
  const char* start = pbase();
  const auto size = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  writeAll(start, size);
}

void DescriptorOutput::writeAll(const char* data, std::size_t size) {
  if (size == 0)
    return;
  if (failure_ != 0)
    fail();
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      failure_ = n < 0 ? errno : EIO;
      fail();
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

void DescriptorOutput::fail() const {
  throw OutputError("cannot write " + name_ + ": " + std::strerror(failure_));
}

bool holdClosedStandardDescriptors() {
  bool outputClosed = false;
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
      continue;
    outputClosed = outputClosed || fd == STDOUT_FILENO;
    // The lowest free descriptor: this one, as the ones below it are open by now.
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
  return outputClosed;
}

}  // namespace hv
