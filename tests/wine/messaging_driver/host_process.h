#pragma once

#include <windows.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "messaging/frame_reader.h"

namespace hv::client {

// The messaging host started as a browser starts it: its arguments, frames through pipes on its
// standard input and output, its error stream to a log beside the driver. Killed if a check
// leaves it running.
class HostProcess {
 public:
  HostProcess(const std::wstring& program, const std::vector<std::string>& args);
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  void sendBytes(const std::string& bytes);
  void send(const nlohmann::json& message) { sendBytes(encodeFrame(message.dump())); }
  void closeInput();
  // The next message, skipping panel events unless asked for; none when the host ends or stays
  // silent for `limitMs`.
  std::optional<nlohmann::json> receive(bool panels = false, DWORD limitMs = 10000);
  // The exit status once the host ended by itself within `limitMs`; none otherwise.
  std::optional<int> exitStatus(DWORD limitMs = 10000);

 private:
  PROCESS_INFORMATION process_{};
  HANDLE input_ = nullptr;
  HANDLE output_ = nullptr;
  FrameReader reader_{1u << 30};
};

}  // namespace hv::client
