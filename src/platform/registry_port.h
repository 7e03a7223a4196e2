#pragma once

#include <cstdint>
#include <string_view>

namespace hv {

// Predefined root keys, passed as their 32-bit numbers.
enum RegistryRoot : std::uint32_t {
  kHkeyClassesRoot = 0x80000000,
  kHkeyCurrentUser = 0x80000001,
  kHkeyLocalMachine = 0x80000002,
};

// Result codes of the registry calls, with the numbers the Windows API gives them.
enum RegistryStatus : std::int32_t {
  kRegistrySuccess = 0,
  kRegistryFileNotFound = 2,
  kRegistryAccessDenied = 5,
  kRegistryInvalidHandle = 6,
  kRegistryMoreData = 234,
};

// Registry value types, as stored.
enum RegistryType : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegMultiSz = 7,
  kRegQword = 11,
};

// Read-only access to the registry, with the three calls' Windows semantics. Names are ANSI
// (code page bytes) and compare case-insensitively; a key is opened with the query right alone.
class RegistryPort {
 public:
  using Handle = std::uintptr_t;
  static constexpr Handle kNullHandle = 0;

  virtual ~RegistryPort() = default;

  // Opens `path` (levels separated by "\") under a root key; on success sets `key`.
  virtual std::int32_t openKey(std::uint32_t root, std::string_view path, Handle& key) = 0;

  // Queries a value; the empty name is the key's default value. With `data` null only the byte
  // count is asked for: `size` receives it. Otherwise `size` holds the buffer's capacity on entry
  // and the bytes written on return; data that does not fit gives kRegistryMoreData.
  // String values come back as their ANSI bytes plus the terminating NUL, numbers as raw
  // little-endian bytes.
  virtual std::int32_t queryValue(Handle key, std::string_view valueName, std::uint32_t& type,
                                  std::uint8_t* data, std::uint32_t& size) = 0;

  virtual std::int32_t closeKey(Handle key) = 0;
};

}  // namespace hv
