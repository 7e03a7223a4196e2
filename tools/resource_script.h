#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hv {

// A file the resource script pulls in, written next to it.
struct ResourceFile {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// The files the module's resources are made of besides the type library: the toolbox bitmaps as
// .bmp files and the identifier lists as raw bytes.
std::vector<ResourceFile> resourceFiles();

// The resource script: type library 1 from `typeLibraryFile`, the version block, the toolbox
// bitmaps and the identifier lists (resource type "CUSTOM") from resourceFiles().
std::string resourceScript(const std::string& typeLibraryFile);

}  // namespace hv
