#pragma once

#include "platform/temp_folder_port.h"

namespace hv {

// GetTempPathA: the user's temporary folder with its trailing backslash.
class Win32TempFolder : public TempFolderPort {
 public:
  std::optional<std::string> tempPath() override;
};

}  // namespace hv
