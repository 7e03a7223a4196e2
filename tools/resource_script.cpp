#include "tools/resource_script.h"

#include <cstdio>

#include "control/resources.h"

namespace hv {
namespace {

constexpr const char* kIdentifierListType = "CUSTOM";

std::string bitmapFileName(int id) {
  return "toolbox_" + std::to_string(id) + ".bmp";
}

std::string identifierListFileName(std::string_view resourceName) {
  return "identifiers" + std::string(resourceName) + ".bin";
}

void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A bitmap file is the resource's bytes behind a file header that says where the pixels start.
std::vector<std::uint8_t> bitmapFile(const std::vector<std::uint8_t>& dib) {
  constexpr std::uint32_t kFileHeaderSize = 14;
  constexpr std::uint32_t kInfoHeaderSize = 40;
  constexpr std::uint32_t kPaletteSize = 16 * 4;
  std::vector<std::uint8_t> file = {'B', 'M'};
  put32(file, static_cast<std::uint32_t>(kFileHeaderSize + dib.size()));
  put32(file, 0);
  put32(file, kFileHeaderSize + kInfoHeaderSize + kPaletteSize);
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

std::string hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", value);
  return buffer;
}

std::string commaList(const std::array<std::uint16_t, 4>& v) {
  return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]) + "," +
         std::to_string(v[3]);
}

std::string versionBlock() {
  const VersionInfo& v = versionInfo();
  char language[16];
  std::snprintf(language, sizeof language, "%04X%04X", v.language, v.codePage);
  std::string out = "1 VERSIONINFO\nFILEVERSION " + commaList(v.fileVersion) + "\nPRODUCTVERSION " +
                    commaList(v.productVersion) + "\nFILEFLAGSMASK 0x0\nFILEFLAGS " +
                    hex(v.fileFlags) + "\nFILEOS " + hex(v.fileOs) + "\nFILETYPE " +
                    hex(v.fileType) +
                    "\nFILESUBTYPE 0x0\nBEGIN\n  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK \"" +
                    language + "\"\n    BEGIN\n";
  for (const auto& field : v.fields) {
    out +=
        "      VALUE \"" + std::string(field.name) + "\", \"" + std::string(field.value) + "\"\n";
  }
  return out + "    END\n  END\n  BLOCK \"VarFileInfo\"\n  BEGIN\n    VALUE \"Translation\", " +
         hex(v.language) + ", " + hex(v.codePage) + "\n  END\nEND\n";
}

}  // namespace

std::vector<ResourceFile> resourceFiles() {
  std::vector<ResourceFile> files;
  for (int id : {kInetDownloaderBitmap, kBaseBitmap})
    files.push_back({bitmapFileName(id), bitmapFile(toolboxBitmap(id))});
  for (auto& list : identifierListResources())
    files.push_back({identifierListFileName(list.name), std::move(list.bytes)});
  return files;
}

std::string resourceScript(const std::string& typeLibraryFile) {
  std::string out = "// Written from the library's resource data at build time.\n1 TYPELIB \"" +
                    typeLibraryFile + "\"\n\n" + versionBlock() + "\n";
  for (int id : {kInetDownloaderBitmap, kBaseBitmap})
    out += std::to_string(id) + " BITMAP \"" + bitmapFileName(id) + "\"\n";
  for (const auto& list : identifierListResources()) {
    out += std::string(list.name) + " " + kIdentifierListType + " \"" +
           identifierListFileName(list.name) + "\"\n";
  }
  return out;
}

}  // namespace hv
