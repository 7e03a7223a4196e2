#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace hv {

// The resources the module carries besides its type library.

struct VersionField {
  std::string_view name;
  std::string_view value;
};

struct VersionInfo {
  std::array<std::uint16_t, 4> fileVersion;
  std::array<std::uint16_t, 4> productVersion;
  std::uint16_t language;
  std::uint16_t codePage;
  std::uint32_t fileOs;    // VOS__WINDOWS32
  std::uint32_t fileType;  // VFT_DLL
  std::uint32_t fileFlags;
  std::vector<VersionField> fields;  // in block order
};

const VersionInfo& versionInfo();

// A named resource of raw bytes.
struct NamedResource {
  std::string_view name;
  std::vector<std::uint8_t> bytes;
};

// "_IID_BASE", "_SRCIID_BASE", "_IID_INETDOWNLOADER", "_SRCIID_INETDOWNLOADER": each a 32-bit
// little-endian byte count followed by the 16-byte identifiers, earlier ones first.
std::vector<NamedResource> identifierListResources();

// The toolbox bitmaps (30000 InetDownloader, 30001 Base) as bitmap resources hold them: a
// 16 x 15, 4-bit device-independent bitmap (header, 16-colour table, rows bottom-up).
std::vector<std::uint8_t> toolboxBitmap(int id);
inline constexpr int kInetDownloaderBitmap = 30000;
inline constexpr int kBaseBitmap = 30001;

}  // namespace hv
