// Base's own downloads through COM: the file lands in the temporary folder, under the name the
// engine stamps, with the bytes the site served, while the client pumps as a browser does.
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <set>
#include <string>

#include "client_calls.h"
#include "client_checks.h"
#include "control/library_classes.h"
#include "download_sink.h"
#include "support/pattern_bytes.h"

namespace hv::client {
namespace {

// The temporary folder's files whose names match `pattern`.
std::set<std::wstring> tempFiles(const std::wstring& pattern) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(tempPath(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do {
    names.insert(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

struct BaseDownload {
  const char* label;
  DISPID member;
  const wchar_t* url;
  const wchar_t* pattern;  // what the local name looks like
  std::size_t size;
};

void checkBaseDownload(Checks& checks, const BaseDownload& c) {
  const std::string label = std::string("Base.") + c.label;
  IDispatch* base = createDispatch(kBaseClsid);
  checks.check(label + ": Base is created", base != nullptr);
  if (!base)
    return;
  const std::set<std::wstring> before = tempFiles(c.pattern);
  VARIANT source = textVariant(c.url);
  VARIANT dest = textVariant(L"C:\\elsewhere\\");
  Call call = invoke(base, c.member, DISPATCH_METHOD, {dest, source});
  checks.equal(label + ": the call succeeds", call.hr, S_OK);
  checks.check(label + ": it returns 0", V_VT(&call.result) == VT_I4 && V_I4(&call.result) == 0);
  release(call);
  VariantClear(&source);
  VariantClear(&dest);
  const std::string served = testing::patternBytes(c.size);
  std::wstring arrived;
  const bool landed = pumpUntil(
      [&] {
        for (const auto& name : tempFiles(c.pattern)) {
          if (!before.contains(name) && tempFileBytes(name).size() == served.size())
            arrived = name;
        }
        return !arrived.empty();
      },
      10000);
  checks.check(label + ": the file lands in the temporary folder", landed);
  pumpUntil([] { return false; }, 200);  // the engine closes the file after the last chunk
  if (landed) {
    checks.check(label + ": the file holds the bytes served", tempFileBytes(arrived) == served);
    checks.check(label + ": the file is closed", DeleteFileW(tempPath(arrived).c_str()) != 0);
  }
  base->Release();
}

DWORD handleCount() {
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  return handles;
}

// A page's loop of downloads, none of whose events it waits for: one Base runs one transfer at
// a time, so the threads and handles it takes stay few, the last download still lands, and all
// of them are given back.
void checkDownloadLoop(Checks& checks) {
  constexpr int kCalls = 1000;
  const std::string label = "1000 DownloadInternal calls in one loop";
  IDispatch* base = createDispatch(kBaseClsid);
  if (!base)
    return;
  const int threads = threadCount();
  const DWORD handles = handleCount();
  const std::set<std::wstring> before = tempFiles(L"report*.cvx");
  int mostThreads = threads;
  VARIANT source = textVariant(L"http://www.corvantis.example/dl/report.cvx");
  VARIANT dest = textVariant(L"");
  int refused = 0;
  for (int i = 0; i < kCalls; ++i) {
    Call call = invoke(base, base_dispid::kDownloadInternal, DISPATCH_METHOD, {dest, source});
    refused += call.hr == S_OK ? 0 : 1;
    release(call);
    if (i % 50 == 0)
      mostThreads = std::max(mostThreads, threadCount());
  }
  VariantClear(&source);
  VariantClear(&dest);
  checks.equal(label + ": every call succeeds", refused, 0);
  // A superseded worker ends when the site next speaks, so how many wait at once depends on how
  // busy the machine is (8 on a quiet one, over 20 beside a build); one thread per call would be
  // 1000. The bound is the design's, not a timing.
  checks.check(label + ": far fewer worker threads than calls at once (" +
                   std::to_string(mostThreads - threads) + " more)",
               mostThreads - threads <= kCalls / 16);
  std::set<std::wstring> landed;
  checks.check(label + ": the last download, and only it, lands",
               pumpUntil(
                   [&] {
                     landed = tempFiles(L"report*.cvx");
                     return landed.size() > before.size();
                   },
                   10000) &&
                   landed.size() == before.size() + 1);
  for (const auto& name : landed) {
    if (!before.contains(name))
      DeleteFileW(tempPath(name).c_str());
  }
  base->Release();
  checks.check(label + ": every thread is given back",
               pumpUntil([&] { return threadCount() <= threads; }, 10000));
  checks.check(label + ": every handle is given back",
               pumpUntil([&] { return handleCount() <= handles + 8; }, 10000));
}

}  // namespace

void checkBaseDownloads(Checks& checks) {
  using namespace base_dispid;
  checkDownloadLoop(checks);
  checkBaseDownload(checks, {"DownloadInternal", kDownloadInternal,
                             L"http://www.corvantis.example/dl/page.cvx", L"page*.cvx", 12345});
  checkBaseDownload(checks, {"Download", kDownload, L"http://www.corvantis.example/dl/sheet.cvx",
                             L"sheet*.cvx", 23456});
}

}  // namespace hv::client
