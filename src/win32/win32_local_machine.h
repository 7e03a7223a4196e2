#pragma once

#include "platform/clock_port.h"
#include "platform/temp_folder_port.h"

namespace hv {

// What the machine says about the user's here and now: the local time, and the temporary folder
// downloads are named and kept in.

// The local time as the system keeps it.
class Win32Clock : public ClockPort {
 public:
  LocalDateTime localNow() override;
};

// GetTempPathA: the user's temporary folder with its trailing backslash.
class Win32TempFolder : public TempFolderPort {
 public:
  std::optional<std::string> tempPath() override;
};

}  // namespace hv
