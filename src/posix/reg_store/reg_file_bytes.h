#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace hv {

// The most a store file may hold: far above any real export, far below what would exhaust memory.
constexpr std::size_t kMaxRegFileBytes = 64u << 20;

// The bytes of one store file. Only a regular file is read (a link to one is followed); a FIFO,
// a device, a folder or a file over kMaxRegFileBytes is refused without blocking or reading it.
// Throws RegFileError naming the file.
std::string readRegFileBytes(const std::filesystem::path& file);

}  // namespace hv
