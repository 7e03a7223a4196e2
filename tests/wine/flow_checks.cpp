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

constexpr const wchar_t* kTitle = L"Corvantis Halverine Detector";
// A box without a title of its own carries the system's caption.
constexpr const wchar_t* kUntitled = L"Error";
constexpr DWORD kProgramLimitMs = 20000;

const std::wstring kMimeKey = L"MIME\\Database\\Content Type\\application/x-corvantis-x-file";
const std::wstring kOpenCommandKey = L"Corvantis Executable\\Shell\\Open\\Command";
const std::wstring kLoggingKey = L"Software\\Corvantis\\Detector";

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c == L'\r' || c == L'\n')
      out += c == L'\r' ? "\\r" : "\\n";
    else
      out += c < 128 ? static_cast<char>(c) : '?';
  }
  return out;
}

std::wstring wide(const Text& text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring tempFolder() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return folder;
}

// A Base as a page holds it, with the boxes its calls open.
class Page {
 public:
  Page() : base_(createDispatch(kBaseClsid)) {}
  ~Page() {
    if (base_)
      base_->Release();
  }
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  explicit operator bool() const { return base_ != nullptr; }

  HRESULT call(DISPID id, const wchar_t* argument) {
    if (!base_)
      return REGDB_E_CLASSNOTREG;
    std::vector<VARIANT> args;
    if (argument)
      args.push_back(textVariant(argument));
    Call made = invoke(base_, id, DISPATCH_METHOD, args);
    for (auto& arg : args)
      VariantClear(&arg);
    release(made);
    return made.hr;
  }

 private:
  IDispatch* base_;
};

void checkBoxes(Checks& checks, const std::string& label, std::vector<SeenBox> seen,
                const std::vector<SeenBox>& expected) {
  checks.equal(label + ": boxes shown", seen.size(), expected.size());
  for (std::size_t i = 0; i < std::min(seen.size(), expected.size()); ++i) {
    checks.equal(label + ": title", narrow(seen[i].title), narrow(expected[i].title));
    checks.equal(label + ": text", narrow(seen[i].text), narrow(expected[i].text));
    checks.check(label + ": text exactly", seen[i].text == expected[i].text);
  }
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
    const auto line = recordedCommandLine(record, kProgramLimitMs);
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
}

}  // namespace hv::client
