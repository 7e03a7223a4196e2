// Base's whole roads under Wine against the loopback site: a document fetched and opened with the
// registered program, an installer fetched and run, a failed fetch. The client pumps its message
// queue meanwhile, as a browser does; each check waits a bounded time for the flow's end.
#include <windows.h>
// The common controls' header needs the base types first.
#include <commctrl.h>

#include <fstream>
#include <iterator>

#include "box_watcher.h"
#include "client_checks.h"
#include "control/library_classes.h"
#include "flow_support.h"
#include "panel_windows.h"
#include "support/pattern_bytes.h"
#include "win32/win32_panel_children.h"

namespace hv::client {
namespace {

using namespace base_dispid;

constexpr const wchar_t* kDocument = L"http://www.corvantis.example/dl/report.cvx";
constexpr std::size_t kDocumentSize = 10000;
constexpr const wchar_t* kMissing = L"http://www.corvantis.example/dl/missing.cvx";
constexpr const wchar_t* kInstaller = L"http://www.corvantis.example/dl/setup.exe";
constexpr const wchar_t* kFailedText =
    L"Install failed, please try again by clicking refresh on your browser.\r\n";

std::string fileBytes(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The path of the file the download saved, from its last "Saving to " line: a name already
// taken is tried again with a later stamp.
std::wstring savedPath(const std::vector<LoggedEntry>& entries) {
  constexpr std::wstring_view kSaving = L"Saving to ";
  std::wstring saved;
  for (const auto& entry : entries) {
    if (entry.text.starts_with(kSaving))
      saved = entry.text.substr(kSaving.size());
  }
  return saved;
}

std::vector<std::wstring> textsOf(const std::vector<LoggedEntry>& entries) {
  std::vector<std::wstring> texts;
  for (const auto& entry : entries)
    texts.push_back(entry.text);
  return texts;
}

void checkLines(Checks& checks, const std::string& label, const std::vector<std::wstring>& lines,
                const std::vector<std::wstring>& expected) {
  checks.equal(label + ": log lines", lines.size(), expected.size());
  for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i)
    checks.equal(label + ": log line", narrow(lines[i]), narrow(expected[i]));
}

// The only live Base's status label.
HWND statusLabel() {
  const auto parked = parkingWindows();
  return parked.size() == 1 ? childNamed(parked[0], "lblDownload") : nullptr;
}

// LAUNCH fetches the document and the registered program opens the very file that arrived.
void checkLaunchRoad(Checks& checks, BoxWatcher& watcher) {
  const std::wstring program = L"\"" + recordingProgram() + L"\"";
  ScratchKeys::setText(HKEY_CLASSES_ROOT, kOpenCommandKey, L"", program + L" \"%1\" /view");
  EventLogTrace trace;
  Page page;
  const std::wstring record = freshRecord(L"launch-road.record");
  checks.equal("LAUNCH of a document on the site", page.call(kLAUNCH, kDocument), S_OK);
  const auto line = recordedCommandLine(record, kFlowLimitMs);
  checks.check("the document's program was started", line.has_value());
  const auto entries = trace.newEntries();
  const std::wstring saved = savedPath(entries);
  checks.check("the document was saved in the temporary folder",
               saved.starts_with(tempFolder() + L"report") && saved.ends_with(L".cvx"));
  checks.equal("the program's command line", narrow(line.value_or(L"")),
               narrow(program + L" \"" + saved + L"\" /view"));
  checks.check("the saved file holds the document",
               fileBytes(saved) == testing::patternBytes(kDocumentSize));
  checkLines(checks, "the launch road", textsOf(entries),
             {L"Request URL " + std::wstring(kDocument) + L" Remote File report.cvx to path " +
                  tempFolder(),
              L"loading control index 0", L"Downloading " + std::wstring(kDocument),
              L"Received Response with status =10000 Response Code:200 Http Status 200 OK",
              L"Saving to " + saved, program + L" \"" + saved + L"\" /view"});
  const auto parked = parkingWindows();
  const HWND bar = parked.size() == 1 ? childNamed(parked[0], "prgDownload") : nullptr;
  checks.equal("the progress bar is full", static_cast<long>(SendMessageW(bar, PBM_GETPOS, 0, 0)),
               100L);
  checkBoxes(checks, "the launch road", watcher.take(), {});
}

// A fetch that fails shows the engine's error box, and LaunchInternal afterwards its own.
void checkFailedFetch(Checks& checks, BoxWatcher& watcher) {
  Page page;
  const std::wstring record = freshRecord(L"failed-fetch.record");
  page.call(kLAUNCH, kMissing);
  std::vector<SeenBox> seen;
  pumpUntil(
      [&] {
        for (auto& box : watcher.take())
          seen.push_back(std::move(box));
        return !seen.empty();
      },
      kFlowLimitMs);
  checkBoxes(checks, "a document missing from the site", seen,
             {{kUntitled, L"Error: -20000015 404 Not Found"}});
  page.call(kLaunchInternal, L"report.cvx");
  checkBoxes(
      checks, "LaunchInternal after the failed fetch", watcher.take(),
      {{kUntitled, L"CVX Download failed, please try again by clicking refresh on your browser."}});
  checks.check("nothing was started after the failed fetch",
               !recordedCommandLine(record, 1000).has_value());
}

struct InstallCase {
  const char* label;
  const wchar_t* url;
  const wchar_t* exitStatus;
  const char* caption;
  long color;  // -1: the default text colour
  std::vector<SeenBox> boxes;
};

// INSTALL fetches the installer, checks its signature, runs it with " /S /P" and waits; its
// exit status decides. One that fails the check is removed and never started.
void checkInstall(Checks& checks, BoxWatcher& watcher, const InstallCase& c) {
  EventLogTrace trace;
  Page page;
  page.call(kDownloadLocation, c.url, DISPATCH_PROPERTYPUT);
  SetEnvironmentVariableW(L"HVDETECTOR_EXIT", c.exitStatus);
  const std::wstring record = freshRecord(L"install.record");
  const std::string label = c.label;
  checks.equal(label + ": INSTALL", page.call(kINSTALL, nullptr), S_OK);
  const bool ended = pumpUntil(
      [] {
        const std::string caption = windowText(statusLabel());
        return caption == "Install complete" || caption == "Install error";
      },
      kFlowLimitMs);
  SetEnvironmentVariableW(L"HVDETECTOR_EXIT", nullptr);
  checks.check(label + ": the install ends", ended);
  checks.equal(label + ": the status label", windowText(statusLabel()), std::string(c.caption));
  checks.equal(label + ": its colour", colorOf(statusLabel(), kForeColorProperty), c.color);
  const auto entries = trace.newEntries();
  const std::wstring command = L"\"" + savedPath(entries) + L"\" /S /P";
  checks.check(label + ": the installer was saved as such",
               savedPath(entries).starts_with(tempFolder() + L"setup") &&
                   savedPath(entries).ends_with(L".exe"));
  const bool trusted = std::wstring_view(c.url) == kInstaller;
  checks.equal(label + ": the installer's command line",
               narrow(recordedCommandLine(record, 1000).value_or(L"")),
               narrow(trusted ? command : L""));
  checks.equal(label + ": the installer is kept only when it ran",
               GetFileAttributesW(savedPath(entries).c_str()) != INVALID_FILE_ATTRIBUTES, trusted);
  if (trusted) {
    checks.equal(label + ": the last log line", narrow(entries.empty() ? L"" : entries.back().text),
                 narrow(L"Executing " + command));
  }
  checkBoxes(checks, label, watcher.take(), c.boxes);
}

}  // namespace

void checkSiteFlows(Checks& checks, BoxWatcher& watcher) {
  // Without the map every request would wait for its time-out: one failure says why instead.
  wchar_t mapped[8] = {};
  const bool onLoopback = GetEnvironmentVariableW(L"HVDETECTOR_TEST_CONNECT_TO", mapped, 8) > 0;
  checks.check("the site's hosts are mapped to loopback", onLoopback);
  if (!onLoopback)
    return;
  checkLaunchRoad(checks, watcher);
  checkFailedFetch(checks, watcher);
  const std::vector<InstallCase> installs = {
      {"an installer that succeeds", kInstaller, L"0", "Install complete", -1, {}},
      {"an installer that fails",
       kInstaller,
       L"1",
       "Install error",
       0x0000FF,
       {{kUntitled, std::wstring(kFailedText) + L"The installer ended with exit status 1"}}},
      {"an installer changed after signing",
       L"http://www.corvantis.example/dl/tampered/setup.exe",
       L"0",
       "Install error",
       0x0000FF,
       {{kUntitled, std::wstring(kFailedText) +
                        L"Nothing was run: the installer's signature does not match its "
                        L"contents"}}},
  };
  for (const auto& c : installs)
    checkInstall(checks, watcher, c);
}

}  // namespace hv::client
