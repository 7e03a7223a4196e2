#pragma once

#include <oaidl.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "client_checks.h"
#include "download_sink.h"  // pumpUntil
#include "message_boxes.h"

namespace hv::client {

inline constexpr const wchar_t* kTitle = L"Corvantis Halverine Detector";
// A box without a title of its own carries the system's caption.
inline constexpr const wchar_t* kUntitled = L"Error";
// How long a started program or a download over loopback may take before a check gives up.
inline constexpr DWORD kFlowLimitMs = 30000;

inline const std::wstring kMimeKey =
    L"MIME\\Database\\Content Type\\application/x-corvantis-x-file";
inline const std::wstring kOpenCommandKey = L"Corvantis Executable\\Shell\\Open\\Command";
inline const std::wstring kLoggingKey = L"Software\\Corvantis\\Detector";

// A wide text for a check's message: ASCII as it is, CR and LF as \r and \n, anything else "?".
std::string narrow(const std::wstring& text);
std::wstring tempFolder();

// A Base as a page holds it.
class Page {
 public:
  Page();
  ~Page();
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  explicit operator bool() const { return base_ != nullptr; }

  // A method with at most one text argument, or a property put with one.
  HRESULT call(DISPID id, const wchar_t* argument, WORD flags = DISPATCH_METHOD);

 private:
  IDispatch* base_;
};

// The boxes seen, title and text, exactly the ones expected.
void checkBoxes(Checks& checks, const std::string& label, const std::vector<SeenBox>& seen,
                const std::vector<SeenBox>& expected);

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
