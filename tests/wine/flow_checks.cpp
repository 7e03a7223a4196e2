// Base's flows as a page drives them under Wine: each message box read and closed by the
// watcher, the document's program started for real and its command line read back, and the
// event log's lines.
#include <objbase.h>
#include <oleauto.h>

#include "box_watcher.h"
#include "client_calls.h"
#include "client_checks.h"
#include "control/library_classes.h"
#include "download/site_domain.h"
#include "flow_support.h"

namespace hv::client {
namespace {

using namespace base_dispid;

std::wstring wide(const Text& text) {
  return std::wstring(text.begin(), text.end());
}

struct BoxCase {
  const char* label;
  const wchar_t* url;
  std::wstring text;
};

// LAUNCH's refusals, each in a titled box, on a machine with and without the document type.
void checkLaunchBoxes(Checks& checks, BoxWatcher& watcher) {
  {
    Page page;
    page.call(kLAUNCH, L"http://www.corvantis.example/docs/a.cvx");
    checkBoxes(checks, "LAUNCH without the document types", watcher.take(),
               {{kTitle, L"Halverine is not installed"}});
  }
  ScratchKeys::setText(HKEY_CLASSES_ROOT, kMimeKey, L"Extension", L".cvx");
  const std::vector<BoxCase> cases = {
      {"LAUNCH of a 4-character URL", L"a/cd", L"Malformed URL"},
      {"LAUNCH of a URL without a slash", L"abcdef", L"Malformed URL"},
      {"LAUNCH outside the domain", L"http://www.elsewhere.example/a.cvx",
       L"Invalid domain must be a URL for " + wide(SiteDomain())},
      {"LAUNCH of blanks", L"   ", L""},
  };
  for (const auto& c : cases) {
    Page page;
    checks.equal(std::string(c.label) + " succeeds", page.call(kLAUNCH, c.url), S_OK);
    std::vector<SeenBox> expected;
    if (!c.text.empty())
      expected.push_back({kTitle, c.text});
    checkBoxes(checks, c.label, watcher.take(), expected);
  }
}

// LaunchInternal on its own: the registered open command with the bare name in place of "%1"
// (no download has set the temporary folder yet), started for real.
void checkLaunchInternal(Checks& checks, BoxWatcher& watcher) {
  const std::wstring program = L"\"" + recordingProgram() + L"\"";
  ScratchKeys::setText(HKEY_CLASSES_ROOT, kOpenCommandKey, L"", program + L" \"%1\" /view");
  {
    Page page;
    const std::wstring record = freshRecord(L"launch-internal.record");
    checks.equal("LaunchInternal succeeds", page.call(kLaunchInternal, L"abc63921449486000.cvx"),
                 S_OK);
    const auto line = recordedCommandLine(record, kFlowLimitMs);
    checks.check("LaunchInternal starts the registered program", line.has_value());
    checks.equal("the program's command line", narrow(line.value_or(L"")),
                 narrow(program + L" \"abc63921449486000.cvx\" /view"));
    checkBoxes(checks, "LaunchInternal", watcher.take(), {});
  }
  {
    // A name that reaches out of the temporary folder is refused and shown to nobody.
    Page page;
    const std::wstring record = freshRecord(L"launch-outside.record");
    page.call(kLaunchInternal, L"..\\evil.cvx");
    checks.check("LaunchInternal of a path starts nothing",
                 !recordedCommandLine(record, 1000).has_value());
    checkBoxes(checks, "LaunchInternal of a path", watcher.take(), {});
  }
}

// With "logging" at "debug" every line is one information entry under the module's source.
void checkLogLines(Checks& checks, BoxWatcher& watcher) {
  EventLogTrace trace;
  checks.check("the runner hands over Wine's event log trace", trace.available());
  ScratchKeys::setText(HKEY_LOCAL_MACHINE, kLoggingKey, L"logging", L"debug");
  const std::wstring program = L"\"" + recordingProgram() + L"\"";
  {
    Page page;
    page.call(kLAUNCH, L"http://www.elsewhere.example/docs/a.cvx");
    freshRecord(L"log-lines.record");
    page.call(kLaunchInternal, L"b.cvx");
  }
  watcher.take();
  const std::vector<std::wstring> expected = {
      L"Request URL http://www.elsewhere.example/docs/a.cvx Remote File a.cvx to path " +
          tempFolder(),
      program + L" \"" + tempFolder() + L"b.cvx\" /view",
  };
  const auto entries = trace.newEntries();
  checks.equal("log lines written", entries.size(), expected.size());
  for (std::size_t i = 0; i < std::min(entries.size(), expected.size()); ++i) {
    checks.equal("log line", narrow(entries[i].text), narrow(expected[i]));
    checks.equal("log line's source", entries[i].source, std::string("HVDetector"));
    checks.equal("log line's event type", entries[i].type, 4);
  }
  ScratchKeys::setText(HKEY_LOCAL_MACHINE, kLoggingKey, L"logging", L"Debug");
  {
    Page page;
    page.call(kLaunchInternal, L"c.cvx");
  }
  checks.equal("no line once logging is not \"debug\"", trace.newEntries().size(), std::size_t{0});
}

}  // namespace

void checkFlows(Checks& checks, BoxWatcher& watcher) {
  checks.check("Base is registered", static_cast<bool>(Page()));
  ScratchKeys keys({{HKEY_CLASSES_ROOT, kMimeKey},
                    {HKEY_CLASSES_ROOT, L"Corvantis Executable"},
                    {HKEY_LOCAL_MACHINE, L"Software\\Corvantis"}});
  checkLaunchBoxes(checks, watcher);
  checkLaunchInternal(checks, watcher);
  checkLogLines(checks, watcher);
  ScratchKeys::setText(HKEY_LOCAL_MACHINE, kLoggingKey, L"logging", L"debug");
  checkSiteFlows(checks, watcher);
}

}  // namespace hv::client
