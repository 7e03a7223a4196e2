#include "posix/minisign_trust.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr std::size_t kReadBlock = 256 * 1024;

[[noreturn]] void refuse(const std::string& why) {
  throw installerRefusal(fromUtf8(why));
}

[[noreturn]] void refuseUnreadable(int error) {
  refuse(std::string("the installer could not be read (") + std::strerror(error) + ")");
}

// Keeps the installer's descriptor open and the file unwritable until the run is over.
class HeldInstaller : public CheckedInstaller {
 public:
  explicit HeldInstaller(int fd) : fd_(fd) {}
  ~HeldInstaller() override { ::close(fd_); }
  HeldInstaller(const HeldInstaller&) = delete;
  HeldInstaller& operator=(const HeldInstaller&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Opens the installer once and takes every write permission away before a byte is read: the
// check and the run then see the same bytes, whoever else would write to it.
std::unique_ptr<HeldInstaller> holdUnwritable(const Text& path) {
  const std::string name = toAnsi(path);
  if (name.find('\0') != std::string::npos)
    refuse("the installer's path holds a NUL");
  const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    refuseUnreadable(errno);
  auto held = std::make_unique<HeldInstaller>(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0)
    refuseUnreadable(errno);
  if (!S_ISREG(info.st_mode))
    refuse("the installer is not a regular file");
  if (::fchmod(fd, info.st_mode & 07555) != 0)
    refuseUnreadable(errno);
  return held;
}

// BLAKE2b-512 of the whole file, read in blocks so that memory does not grow with it.
std::array<std::uint8_t, crypto_generichash_BYTES_MAX> blake2bOf(int fd) {
  crypto_generichash_state state;
  crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES_MAX);
  std::vector<std::uint8_t> block(kReadBlock);
  off_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(fd, block.data(), block.size(), offset);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      refuseUnreadable(errno);
    if (got == 0)
      break;
    crypto_generichash_update(&state, block.data(), static_cast<std::size_t>(got));
    offset += got;
  }
  std::array<std::uint8_t, crypto_generichash_BYTES_MAX> hash{};
  crypto_generichash_final(&state, hash.data(), hash.size());
  return hash;
}

// The legacy algorithm signs the file itself: it is mapped rather than read into memory, so the
// pages stay the file's.
bool pureSignatureMatches(int fd, const MinisignSignature& signature,
                          const MinisignPublicKey& key) {
  struct stat info {};
  if (::fstat(fd, &info) != 0)
    refuseUnreadable(errno);
  const auto size = static_cast<std::size_t>(info.st_size);
  if (size == 0) {
    return crypto_sign_verify_detached(signature.signature.data(), nullptr, 0, key.key.data()) == 0;
  }
  void* bytes = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (bytes == MAP_FAILED)
    refuseUnreadable(errno);
  const bool matches = crypto_sign_verify_detached(signature.signature.data(),
                                                   static_cast<const unsigned char*>(bytes), size,
                                                   key.key.data()) == 0;
  ::munmap(bytes, size);
  return matches;
}

bool signatureMatches(int fd, const MinisignSignature& signature, const MinisignPublicKey& key) {
  if (!signature.prehashed)
    return pureSignatureMatches(fd, signature, key);
  const auto hash = blake2bOf(fd);
  return crypto_sign_verify_detached(signature.signature.data(), hash.data(), hash.size(),
                                     key.key.data()) == 0;
}

bool trustedCommentMatches(const MinisignSignature& signature, const MinisignPublicKey& key) {
  std::string signedText(signature.signature.begin(), signature.signature.end());
  signedText += signature.trustedComment;
  return crypto_sign_verify_detached(signature.globalSignature.data(),
                                     reinterpret_cast<const unsigned char*>(signedText.data()),
                                     signedText.size(), key.key.data()) == 0;
}

}  // namespace

MinisignTrust::MinisignTrust(std::vector<MinisignPublicKey> keys) : keys_(std::move(keys)) {
  if (sodium_init() < 0)
    throw std::runtime_error("libsodium could not be initialised");
}

Text MinisignTrust::detachedSignatureSuffix() const {
  return u".minisig";
}

std::unique_ptr<CheckedInstaller> MinisignTrust::checkAndHold(const Text& path,
                                                              std::string_view signatureText) {
  MinisignSignature signature;
  try {
    signature = readMinisignSignature(signatureText);
  } catch (const std::invalid_argument& e) {
    refuse(std::string("the installer's signature is malformed: ") + e.what());
  }
  const MinisignPublicKey& key = keyOf(signature);
  if (!trustedCommentMatches(signature, key))
    refuse("the trusted comment of the installer's signature was changed");
  auto held = holdUnwritable(path);
  if (!signatureMatches(held->fd(), signature, key))
    refuse("the installer's signature does not match its contents");
  return held;
}

std::vector<Text> MinisignTrust::trustedSigners() const {
  std::vector<Text> signers;
  for (const auto& key : keys_)
    signers.push_back(u"minisign key " + fromUtf8(keyIdText(key.keyId)));
  return signers;
}

const MinisignPublicKey& MinisignTrust::keyOf(const MinisignSignature& signature) const {
  const auto found = std::ranges::find(keys_, signature.keyId, &MinisignPublicKey::keyId);
  if (found == keys_.end()) {
    refuse("the installer's signature was made by a key this library does not trust (key " +
           keyIdText(signature.keyId) + ")");
  }
  return *found;
}

}  // namespace hv
