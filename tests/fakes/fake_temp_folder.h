#pragma once

#include "platform/temp_folder_port.h"

namespace hv::testing {

class FakeTempFolder : public TempFolderPort {
 public:
  std::optional<std::string> tempPath() override {
    ++lookups;
    return path;
  }
  std::optional<std::string> path = std::string("/tmp/");
  int lookups = 0;
};

}  // namespace hv::testing
