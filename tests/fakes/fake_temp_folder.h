#pragma once

#include "platform/temp_folder_port.h"

namespace hv::testing {

class FakeTempFolder : public TempFolderPort {
 public:
  std::optional<std::string> tempPath() override { return path; }
  std::optional<std::string> path = std::string("/tmp/");
};

}  // namespace hv::testing
