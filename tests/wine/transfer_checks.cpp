// InetDownloader alone, as a page drives it: downloads from the loopback site, with the events
// delivered to a connected sink on this thread while it pumps, and the file compared with what
// the site served.
#include <objbase.h>
#include <oleauto.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client_calls.h"
#include "client_checks.h"
#include "control/library_classes.h"
#include "download_sink.h"
#include "support/pattern_bytes.h"

namespace hv::client {
namespace {

using namespace inet_downloader_dispid;
using testing::patternBytes;

constexpr long kTransferFailure = -20000015;
// Time-outs in these runs are two seconds; the slowest case ends within three.
constexpr DWORD kLongestDownload = 20000;

struct Download {
  IDispatch* downloader = createDispatch(kInetDownloaderClsid);
  RecordingSink sink;
  std::optional<SinkConnection> connection;
  HRESULT started = E_FAIL;
  bool eventsBeforeReturn = false;

  explicit Download(const std::wstring& url) {
    if (!downloader)
      return;
    connection.emplace(downloader, &sink);
    VARIANT source = textVariant(url.c_str());
    VARIANT dest = textVariant(L"");
    Call call = invoke(downloader, kDownload, DISPATCH_METHOD, {dest, source});
    started = call.hr;
    eventsBeforeReturn = !sink.events.empty();
    release(call);
    VariantClear(&source);
    VariantClear(&dest);
  }
  ~Download() {
    connection.reset();
    if (downloader)
      downloader->Release();
  }
  bool finish() {
    return pumpUntil([&] { return sink.ended(); }, kLongestDownload);
  }
  std::wstring localName() const {
    Call call = invoke(downloader, kRemoteFileToDownload, DISPATCH_PROPERTYGET, {});
    std::wstring name = V_VT(&call.result) == VT_BSTR ? bstrText(V_BSTR(&call.result)) : L"";
    release(call);
    return name;
  }
  bool allOnThisThread() const {
    for (const auto& event : sink.events) {
      if (event.thread != GetCurrentThreadId())
        return false;
    }
    return true;
  }
  const DownloadEvent* last() const { return sink.events.empty() ? nullptr : &sink.events.back(); }
};

std::wstring site(const wchar_t* path) {
  return std::wstring(L"http://www.corvantis.example") + path;
}

// Workers end by themselves once their request is over; none may stay behind.
void checkNoWorkerLeft(Checks& checks, const std::string& label, int baseline) {
  checks.check(label + ": no worker thread stays behind",
               pumpUntil([&] { return threadCount() <= baseline; }, 10000));
}

struct TransferCase {
  const char* label;
  std::wstring url;
  std::string saved;           // the file's bytes at the end
  std::wstring error;          // the error event's text; none when the download completes
  bool errorIsPrefix = false;  // only the start of the text is ours
};

void checkCase(Checks& checks, const TransferCase& c) {
  const std::string label = std::string("InetDownloader, ") + c.label;
  const int baseline = threadCount();
  {
    Download download(c.url);
    checks.equal(label + ": Download succeeds", download.started, S_OK);
    checks.check(label + ": no event before Download returns", !download.eventsBeforeReturn);
    checks.check(label + ": the download ends while the client pumps", download.finish());
    checks.check(label + ": every event arrives on the client's thread",
                 download.allOnThisThread());
    const DownloadEvent* last = download.last();
    if (c.error.empty()) {
      checks.check(label + ": DownloadComplete is the last event",
                   last && last->id == kEventDownloadComplete);
    } else {
      checks.check(label + ": error is the last event", last && last->id == kEventError);
      if (last && last->id == kEventError) {
        checks.equal(label + ": error number", last->first, kTransferFailure);
        checks.equal(label + ": error text",
                     c.errorIsPrefix ? last->message.substr(0, c.error.size()) : last->message,
                     c.error);
      }
    }
    checks.equal(label + ": one final event",
                 download.sink.count(kEventDownloadComplete) + download.sink.count(kEventError),
                 std::size_t{1});
    // The local name has its stamp once the response opened the file; a failed download
    // removes whatever it wrote.
    const std::wstring name = download.localName();
    const bool opened = name.size() > 20;
    if (c.error.empty()) {
      checks.check(label + ": a file", opened);
      const std::string bytes = tempFileBytes(name);
      checks.equal(label + ": saved length", bytes.size(), c.saved.size());
      checks.check(label + ": the file holds the bytes served, in order", bytes == c.saved);
      checks.check(label + ": the file is closed", DeleteFileW(tempPath(name).c_str()) != 0);
    } else {
      checks.check(
          label + ": no file is left",
          !opened || GetFileAttributesW(tempPath(name).c_str()) == INVALID_FILE_ATTRIBUTES);
    }
  }
  checkNoWorkerLeft(checks, label, baseline);
}

void checkCases(Checks& checks) {
  const std::string report = patternBytes(10000);
  const std::vector<TransferCase> cases = {
      {"a document", site(L"/dl/report.cvx"), report, L""},
      {"an empty document", site(L"/dl/empty.cvx"), "", L""},
      {"a large file", site(L"/dl/large.bin"), patternBytes(3 << 20), L""},
      {"a body labelled as compressed", site(L"/dl/labelled.cvx"), patternBytes(6000), L""},
      {"a redirect within the site", site(L"/dl/moved.cvx"), report, L""},
      {"a missing document", site(L"/dl/missing.cvx"), "", L"404 Not Found"},
      {"a redirect off the site", site(L"/dl/away.cvx"), "",
       L"302 Redirect to http://www.elsewhere.example/dl/report.cvx refused: outside the "
       L"permitted site"},
      {"a redirect loop", site(L"/dl/loop.cvx"), "", L"302 Too many redirects (more than 5)"},
      {"a length that lies", site(L"/dl/lying.cvx"), "",
       L"12030 Transfer closed with 5000 bytes remaining to read"},
      {"a body longer than its length", site(L"/dl/longer.cvx"), patternBytes(50), L""},
      {"a part of a file", site(L"/dl/partial.cvx"), "",
       L"206 Partial Content (only a part of the file)"},
      {"a redirect without a target", site(L"/dl/found.cvx"), "",
       L"302 Found (redirect without a usable target)"},
      {"a status below every class", site(L"/dl/odd.cvx"), "",
       L"99 Odd (no file: not a final status of a successful request)"},
      {"a body framed two ways", site(L"/dl/both.cvx"), "",
       L"12152 Both Content-Length and Transfer-Encoding: the body is framed two ways"},
      {"a reason that commands a terminal", site(L"/dl/shouting.cvx"), "",
       L"500 \\x1b]0;x\\x07" + std::wstring(74, L'y') + L"..."},
      {"a server that never answers", L"http://silent.corvantis.example/dl/silent.cvx", "",
       L"12002 Timed out: no response from the server within 2 seconds"},
      {"a body that stalls", L"http://stall.corvantis.example/dl/stall.cvx", "",
       L"12002 Timed out: fewer than 10 bytes a second from the server over 2 seconds"},
      // The number is WinINet's for an untrusted authority; its text varies between builds.
      {"a certificate nobody trusts", L"https://impostor.corvantis.example/dl/report.cvx", "",
       L"12045 ", true},
      {"a refused connection", L"http://refused.corvantis.example/dl/report.cvx", "",
       L"12029 The attempt to connect to the server failed."},
  };
  for (const auto& c : cases)
    checkCase(checks, c);
}

// One Progress per chunk of 4096 bytes, with what has arrived and what remains.
void checkProgress(Checks& checks) {
  Download download(site(L"/dl/report.cvx"));
  download.finish();
  std::vector<std::pair<long, long>> progress;
  for (const auto& event : download.sink.events) {
    if (event.id == kEventProgress)
      progress.emplace_back(event.first, event.second);
  }
  const std::vector<std::pair<long, long>> expected = {{4096, 5904}, {8192, 1808}, {10000, 0}};
  checks.check("InetDownloader: Progress (4096, 5904), (8192, 1808), (10000, 0)",
               progress == expected);
  DeleteFileW(tempPath(download.localName()).c_str());
}

// A page may cancel or let go of the worker from inside its own event, in the middle of a body
// that is still arriving: nothing more is raised, the file is released, no worker stays.
void checkEndingMidBody(Checks& checks) {
  for (const bool releasing : {false, true}) {
    const std::string label =
        releasing ? "InetDownloader released mid-body" : "InetDownloader cancelled mid-body";
    const int baseline = threadCount();
    auto download = std::make_unique<Download>(site(L"/dl/drip.cvx"));
    IDispatch* downloader = download->downloader;
    bool acted = false;
    std::wstring name;
    download->sink.onEvent = [&](const DownloadEvent& event) {
      if (event.id != kEventProgress || acted)
        return;
      acted = true;
      name = download->localName();
      if (releasing) {
        download->connection.reset();
        downloader->Release();
        download->downloader = nullptr;
      } else {
        Call call = invoke(downloader, kCancel, DISPATCH_METHOD, {});
        release(call);
      }
    };
    pumpUntil([&] { return acted; }, kLongestDownload);
    checks.check(label + ": the first Progress came", acted);
    const std::size_t before = download->sink.events.size();
    pumpUntil([] { return false; }, 3000);  // past the end of the dripping body
    checks.equal(label + ": nothing raised afterwards", download->sink.events.size(), before);
    // A released worker still reads its body to the end; a cancelled one removes what it wrote.
    if (releasing)
      checks.check(label + ": the file is released", DeleteFileW(tempPath(name).c_str()) != 0);
    else
      checks.check(label + ": the unfinished file is removed",
                   GetFileAttributesW(tempPath(name).c_str()) == INVALID_FILE_ATTRIBUTES);
    download.reset();
    checkNoWorkerLeft(checks, label, baseline);
  }
}

// What a page's handler does inside the first Progress of a document: the engine keeps its own
// counts and file whatever the handler writes, calls or answers, and a Download there takes the
// worker over for a download of its own.
struct HandlerCase {
  const char* label;
  std::function<HRESULT(IDispatch* downloader, DISPPARAMS& arguments)> act;
  HRESULT answer = S_OK;   // what the handler answers each Progress
  HRESULT refused = S_OK;  // what the handler's own call gets
  const wchar_t* taken = L"report";
  std::size_t size = 10000;
};

HRESULT callOn(IDispatch* downloader, DISPID member, std::vector<VARIANT> args = {}) {
  Call call = invoke(downloader, member, DISPATCH_METHOD, std::move(args));
  const HRESULT hr = call.hr;
  release(call);
  return hr;
}

void checkHandler(Checks& checks, const HandlerCase& c) {
  const std::string label = std::string("a Progress handler that ") + c.label;
  Download download(site(L"/dl/report.cvx"));
  std::optional<HRESULT> refused;
  download.sink.onEvent = [&](const DownloadEvent& event) {
    download.sink.answer = event.id == kEventProgress ? c.answer : S_OK;
    if (event.id == kEventProgress && !refused && download.sink.arguments)
      refused = c.act(download.downloader, *download.sink.arguments);
  };
  checks.check(label + ": the download ends", download.finish());
  checks.equal(label + ": its own call", refused.value_or(E_UNEXPECTED), c.refused);
  checks.equal(label + ": DownloadComplete", download.sink.count(kEventDownloadComplete),
               std::size_t{1});
  checks.equal(label + ": no error", download.sink.count(kEventError), std::size_t{0});
  const std::wstring name = download.localName();
  checks.check(label + ": the file is the one downloaded last, stamped",
               name.rfind(c.taken, 0) == 0 && name.size() > 20);
  checks.check(label + ": it holds the whole body", tempFileBytes(name) == patternBytes(c.size));
  DeleteFileW(tempPath(name).c_str());
}

HRESULT writeMinusFive(IDispatch*, DISPPARAMS& arguments) {
  VARIANT& received = arguments.rgvarg[arguments.cArgs - 1];
  if (V_VT(&received) != (VT_BYREF | VT_VARIANT))
    return E_UNEXPECTED;
  VariantClear(V_VARIANTREF(&received));
  V_VT(V_VARIANTREF(&received)) = VT_I4;
  V_I4(V_VARIANTREF(&received)) = -5;
  return S_OK;
}

HRESULT downloadAgain(IDispatch* downloader, DISPPARAMS&) {
  VARIANT source = textVariant(site(L"/dl/labelled.cvx").c_str());
  VARIANT dest = textVariant(L"");
  const HRESULT hr = callOn(downloader, kDownload, {dest, source});
  VariantClear(&source);
  VariantClear(&dest);
  return hr;
}

void checkHandlers(Checks& checks) {
  const auto nothing = [](IDispatch*, DISPPARAMS&) { return S_OK; };
  const std::vector<HandlerCase> cases = {
      {"writes -5 into BytesReceived", writeMinusFive},
      {"answers E_FAIL", nothing, E_FAIL},
      {"calls OpenFile", [](IDispatch* d, DISPPARAMS&) { return callOn(d, kOpenFile); }, S_OK,
       DISP_E_EXCEPTION},
      {"calls ReadBinaryData", [](IDispatch* d, DISPPARAMS&) { return callOn(d, kReadBinaryData); },
       S_OK, DISP_E_EXCEPTION},
      {"calls Download again", downloadAgain, S_OK, S_OK, L"labelled", 6000},
  };
  for (const auto& c : cases)
    checkHandler(checks, c);
}

}  // namespace

void checkTransfers(Checks& checks) {
  checkCases(checks);
  checkProgress(checks);
  checkEndingMidBody(checks);
  checkHandlers(checks);
}

}  // namespace hv::client
