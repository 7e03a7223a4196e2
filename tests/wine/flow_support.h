#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hv::client {

// Runs the thread's message loop, as a browser does while a page works, until `done` holds or
// `limitMs` have passed; true when it held.
bool pumpUntil(const std::function<bool()>& done, DWORD limitMs);

// Registry keys a group of checks creates; the trees it names are removed when it ends.
class ScratchKeys {
 public:
  explicit ScratchKeys(std::vector<std::pair<HKEY, std::wstring>> trees)
      : trees_(std::move(trees)) {}
  ~ScratchKeys();
  ScratchKeys(const ScratchKeys&) = delete;
  ScratchKeys& operator=(const ScratchKeys&) = delete;

  static void setText(HKEY root, const std::wstring& key, const wchar_t* name,
                      const std::wstring& value);

 private:
  std::vector<std::pair<HKEY, std::wstring>> trees_;
};

// The recording program beside the client: what it was started with, read back exactly.
std::wstring recordingProgram();
// Points HVDETECTOR_RECORD at a file of that name beside the client, none there yet.
std::wstring freshRecord(const wchar_t* name);
// The command line the program wrote to `record`, once it has; none within `limitMs`.
std::optional<std::wstring> recordedCommandLine(const std::wstring& record, DWORD limitMs);

// One entry of the event log: the source it was filed under, its event type, its text.
struct LoggedEntry {
  std::string source;
  int type = 0;
  std::wstring text;
};

// The event log's entries, read back from Wine's own reports of the calls (the "eventlog" debug
// channel carries each text, the "advapi" one the source and the type), which the runner sends
// to the file HVDETECTOR_EVENTLOG_TRACE names.
class EventLogTrace {
 public:
  EventLogTrace();
  bool available() const { return !path_.empty(); }
  // The entries written since the trace was made or last read.
  std::vector<LoggedEntry> newEntries();

 private:
  std::wstring path_;
  std::size_t readUpTo_ = 0;
  std::string source_;
};

}  // namespace hv::client
