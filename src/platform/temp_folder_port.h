#pragma once

#include <optional>
#include <string>

namespace hv {

// The user's temporary folder, in the ANSI code page, ending in the path separator the system
// uses; nothing when the system cannot say.
class TempFolderPort {
 public:
  virtual ~TempFolderPort() = default;
  virtual std::optional<std::string> tempPath() = 0;
};

}  // namespace hv
