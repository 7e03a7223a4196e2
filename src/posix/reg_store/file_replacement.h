#pragma once

#include <filesystem>
#include <string>

namespace hv {

// Puts `bytes` in `target` as a new file beside it renamed over it, so a reader sees the old
// content or the new, never between. The file keeps its permission bits; a new one gets those of
// `modeOf` when given and present, else the bits the process's umask gives any new file.
// `target` is written as named: callers resolve links first. Throws std::runtime_error, leaving
// the target as it was.
void replaceFile(const std::filesystem::path& target, const std::string& bytes,
                 const std::filesystem::path& modeOf = {});

// Removes `file`; a file already gone is no fault. Throws std::runtime_error otherwise.
void removeFile(const std::filesystem::path& file);

// The file a chain of symbolic links ends at (the path itself when it is no link), whether or
// not that file exists yet.
std::filesystem::path throughLinks(std::filesystem::path path);

}  // namespace hv
