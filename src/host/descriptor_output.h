#pragma once

#include <array>
#include <stdexcept>
#include <streambuf>
#include <string>

namespace hv {

// A write that did not reach the reader: what the command printed is lost, so the command fails.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A buffered stream on a file descriptor that throws OutputError, with the system's reason, for
// the first write the descriptor refuses and for every one after it. A stream on it must have
// badbit among its exceptions, or the stream swallows the error into its state.
class DescriptorOutput : public std::streambuf {
 public:
  // `name` says what the descriptor is in the error's text. `failure`, when not 0, is the error
  // every write meets without being tried (a descriptor that was closed from the start).
  DescriptorOutput(int fd, std::string name, int failure = 0);
  ~DescriptorOutput() override;
  DescriptorOutput(const DescriptorOutput&) = delete;
  DescriptorOutput& operator=(const DescriptorOutput&) = delete;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  void drain();
  void writeAll(const char* data, std::size_t size);
  [[noreturn]] void fail() const;

  int fd_;
  std::string name_;
  int failure_;
  std::array<char, 4096> buffer_;
};

// Standard input, output or error closed when the process starts would be taken by the next file
// the host opens, and output meant for the terminal would land in that file. Each closed one is
// opened on /dev/null instead. Returns whether standard output was among them.
bool holdClosedStandardDescriptors();

}  // namespace hv
