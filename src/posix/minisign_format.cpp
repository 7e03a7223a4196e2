#include "posix/minisign_format.h"

#include <sodium.h>

#include <cstdio>
#include <stdexcept>

namespace hv {
namespace {

constexpr std::string_view kUntrustedComment = "untrusted comment:";
constexpr std::string_view kTrustedComment = "trusted comment: ";
// minisign refuses longer trusted comments when it signs.
constexpr std::size_t kLongestTrustedComment = 1024;

// The lines of a text, each without its "\n" or "\r\n".
std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

// Exactly `size` bytes from base64 text, or nothing.
template <std::size_t size>
bool decodeExactly(std::string_view base64, std::array<std::uint8_t, size>& out) {
  std::size_t length = 0;
  const char* end = nullptr;
  return sodium_base642bin(out.data(), out.size(), base64.data(), base64.size(), nullptr, &length,
                           &end, sodium_base64_VARIANT_ORIGINAL) == 0 &&
         end == base64.data() + base64.size() && length == size;
}

template <std::size_t size>
void copyFrom(const std::uint8_t* from, std::array<std::uint8_t, size>& to) {
  std::copy(from, from + size, to.begin());
}

}  // namespace

std::vector<MinisignPublicKey> readMinisignPublicKeys(std::string_view text) {
  std::vector<MinisignPublicKey> keys;
  int number = 0;
  for (const std::string_view line : linesOf(text)) {
    ++number;
    if (line.empty() || line.starts_with(kUntrustedComment))
      continue;
    // "Ed", the key id, the key.
    std::array<std::uint8_t, 42> packed{};
    if (!decodeExactly(line, packed) || packed[0] != 'E' || packed[1] != 'd') {
      throw std::invalid_argument("line " + std::to_string(number) +
                                  " is neither an untrusted comment nor a minisign public key");
    }
    MinisignPublicKey key;
    copyFrom(packed.data() + 2, key.keyId);
    copyFrom(packed.data() + 10, key.key);
    keys.push_back(key);
  }
  if (keys.empty())
    throw std::invalid_argument("it holds no minisign public key");
  return keys;
}

MinisignSignature readMinisignSignature(std::string_view text) {
  auto lines = linesOf(text);
  while (!lines.empty() && lines.back().empty())
    lines.pop_back();
  if (lines.size() != 4)
    throw std::invalid_argument("it has " + std::to_string(lines.size()) + " lines, not 4");
  if (!lines[0].starts_with(kUntrustedComment))
    throw std::invalid_argument("its first line is no untrusted comment");
  // The algorithm, the key id, the signature.
  std::array<std::uint8_t, 74> packed{};
  if (!decodeExactly(lines[1], packed) || packed[0] != 'E' ||
      (packed[1] != 'd' && packed[1] != 'D')) {
    throw std::invalid_argument("its second line is no minisign signature");
  }
  if (!lines[2].starts_with(kTrustedComment) ||
      lines[2].size() - kTrustedComment.size() > kLongestTrustedComment)
    throw std::invalid_argument("its third line is no trusted comment");
  MinisignSignature signature;
  signature.prehashed = packed[1] == 'D';
  copyFrom(packed.data() + 2, signature.keyId);
  copyFrom(packed.data() + 10, signature.signature);
  signature.trustedComment = lines[2].substr(kTrustedComment.size());
  if (!decodeExactly(lines[3], signature.globalSignature))
    throw std::invalid_argument("its fourth line is no signature of the trusted comment");
  return signature;
}

std::string keyIdText(const MinisignKeyId& id) {
  std::string text;
  for (auto byte = id.rbegin(); byte != id.rend(); ++byte) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", *byte);
    text += digits;
  }
  return text;
}

}  // namespace hv
