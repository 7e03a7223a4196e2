#pragma once

#include "platform/temp_folder_port.h"

namespace hv {

// $TMPDIR when set and not empty, otherwise /tmp; always ending in "/".
class PosixTempFolder : public TempFolderPort {
 public:
  std::optional<std::string> tempPath() override;
};

}  // namespace hv
