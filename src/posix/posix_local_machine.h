#pragma once

#include "platform/clock_port.h"
#include "platform/temp_folder_port.h"

namespace hv {

// What the machine says about the user's here and now: the local time, and the temporary folder
// downloads are named and kept in.

class PosixClock : public ClockPort {
 public:
  LocalDateTime localNow() override;
};

// $TMPDIR when set and not empty, otherwise /tmp; always ending in "/".
class PosixTempFolder : public TempFolderPort {
 public:
  std::optional<std::string> tempPath() override;
};

}  // namespace hv
