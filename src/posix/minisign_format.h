#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// The two files of the minisign tool a vendor signs installers with: its public keys and its
// detached signatures. Only their layout is read here; checking is MinisignTrust's.

using MinisignKeyId = std::array<std::uint8_t, 8>;

struct MinisignPublicKey {
  MinisignKeyId keyId{};
  std::array<std::uint8_t, 32> key{};
};

struct MinisignSignature {
  // "ED" signs the BLAKE2b-512 hash of the file, "Ed" the file itself.
  bool prehashed = false;
  MinisignKeyId keyId{};
  std::array<std::uint8_t, 64> signature{};
  std::string trustedComment;
  // Signs `signature` followed by `trustedComment`, so the comment cannot be changed alone.
  std::array<std::uint8_t, 64> globalSignature{};
};

// Every key of a .pub file, or of several put one after the other: each an optional
// "untrusted comment:" line, then the key in base64. Throws std::invalid_argument saying what is
// wrong where.
std::vector<MinisignPublicKey> readMinisignPublicKeys(std::string_view text);

// A .minisig file's four lines. Throws std::invalid_argument saying what is wrong.
MinisignSignature readMinisignSignature(std::string_view text);

// The key id as minisign prints it: 16 upper-case hex digits, the last byte first.
std::string keyIdText(const MinisignKeyId& id);

}  // namespace hv
