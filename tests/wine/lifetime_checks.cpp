// What outlives a call: class factories and what a control hands out keep the module loaded while
// held, lock counts stay balanced, and a download worker's file closes when the worker goes, on
// every thread.
#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <cwchar>
#include <initializer_list>
#include <string>

#include "client_calls.h"
#include "client_checks.h"
#include "download_sink.h"

namespace hv::client {
namespace {

constexpr DISPID kRemoteFileToDownload = 0x68030001;
constexpr DISPID kDownload = 0x60030002;
constexpr DISPID kCancel = 0x60030004;
constexpr DISPID kOpenFile = 0x60030005;

using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();

HRESULT moduleCanUnload() {
  HMODULE module = GetModuleHandleW(modulePathUnderTest().c_str());
  const auto canUnload = reinterpret_cast<CanUnloadNow>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  return canUnload ? canUnload() : E_FAIL;
}

void checkFactories(Checks& checks) {
  IClassFactory* factory = nullptr;
  const HRESULT got = CoGetClassObject(guidOf(kBaseClsid), CLSCTX_INPROC_SERVER, nullptr,
                                       IID_IClassFactory, reinterpret_cast<void**>(&factory));
  checks.equal("Base's class factory is handed out", got, S_OK);
  if (!factory)
    return;
  checks.equal("a held factory keeps the module loaded", moduleCanUnload(), S_FALSE);
  CoFreeUnusedLibrariesEx(0, 0);
  IUnknown* object = nullptr;
  checks.equal("the held factory still makes instances after unused modules are freed",
               factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)),
               S_OK);
  if (object)
    object->Release();
  factory->LockServer(FALSE);
  factory->LockServer(FALSE);
  factory->LockServer(TRUE);
  factory->Release();
  checks.equal("a lock after unbalanced unlocks still holds the module", moduleCanUnload(),
               S_FALSE);
  CoGetClassObject(guidOf(kBaseClsid), CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                   reinterpret_cast<void**>(&factory));
  if (!factory)
    return;
  factory->LockServer(FALSE);
  factory->Release();
  checks.equal("with no factory, lock or instance left the module may unload", moduleCanUnload(),
               S_OK);
}

// What a control hands out keeps the module loaded after the control is gone: here an
// enumerator of connections, which holds nothing of the control's.
void checkHeldEnumerator(Checks& checks) {
  IDispatch* base = createDispatch(kBaseClsid);
  IConnectionPointContainer* container = nullptr;
  if (base)
    base->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
  IConnectionPoint* point = nullptr;
  if (container)
    container->FindConnectionPoint(guidOf("{A28959C2-D3C3-4521-A79A-17712D8DAB48}"), &point);
  IEnumConnections* connections = nullptr;
  if (point)
    point->EnumConnections(&connections);
  for (IUnknown* held : std::initializer_list<IUnknown*>{point, container, base}) {
    if (held)
      held->Release();
  }
  checks.check("Base's connections are enumerated", connections != nullptr);
  if (!connections)
    return;
  checks.equal("a held enumerator keeps the module loaded", moduleCanUnload(), S_FALSE);
  connections->Release();
  checks.equal("with the enumerator released the module may unload", moduleCanUnload(), S_OK);
}

bool exists(const std::wstring& name) {
  return GetFileAttributesW(tempPath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names the file as a download would (from a host of the site that refuses the connection, so
// that no response comes to close it), then opens it. The local name, or nothing when the open
// failed.
std::wstring openDownloadFile(IDispatch* downloader) {
  VARIANT url = textVariant(L"http://refused.corvantis.example/dl/report.cvx");
  VARIANT dest = textVariant(L"");
  Call call = invoke(downloader, kDownload, DISPATCH_METHOD, {dest, url});
  release(call);
  VariantClear(&url);
  VariantClear(&dest);
  call = invoke(downloader, kOpenFile, DISPATCH_METHOD, {});
  const bool opened = call.hr == S_OK;
  release(call);
  if (!opened)
    return {};
  call = invoke(downloader, kRemoteFileToDownload, DISPATCH_PROPERTYGET, {});
  std::wstring name = V_VT(&call.result) == VT_BSTR ? bstrText(V_BSTR(&call.result)) : L"";
  release(call);
  return name;
}

void checkFilesClose(Checks& checks) {
  int failedOpens = 0;
  bool allDeleted = true;
  for (int i = 0; i < 300; ++i) {
    IDispatch* downloader = createDispatch(kInetDownloaderClsid);
    if (!downloader)
      break;
    const std::wstring name = openDownloadFile(downloader);
    downloader->Release();
    if (name.empty())
      ++failedOpens;
    else if (exists(name))
      allDeleted = false;
  }
  checks.equal("300 workers released with their files open: every open succeeds", failedOpens, 0);
  checks.check("each released worker's unfinished file is closed and removed", allDeleted);

  IDispatch* downloader = createDispatch(kInetDownloaderClsid);
  if (!downloader)
    return;
  const std::wstring first = openDownloadFile(downloader);
  Call call = invoke(downloader, kOpenFile, DISPATCH_METHOD, {});
  checks.equal("a second OpenFile succeeds", call.hr, S_OK);
  release(call);
  call = invoke(downloader, kRemoteFileToDownload, DISPATCH_PROPERTYGET, {});
  const std::wstring second = V_VT(&call.result) == VT_BSTR ? bstrText(V_BSTR(&call.result)) : L"";
  release(call);
  checks.check("the second name grows a second stamp",
               second.size() > first.size() && second.compare(0, 6, L"report") == 0);
  checks.check("the first file was closed and removed by the second OpenFile", !exists(first));
  checks.check("the second file is open until the worker goes",
               DeleteFileW(tempPath(second).c_str()) == 0);
  downloader->Release();
  checks.check("the second file is closed and removed with the worker", !exists(second));
}

// One apartment's share of the work below; the count of its failures goes to `failures`.
DWORD WINAPI openAndCancel(void* failures) {
  CoInitialize(nullptr);
  if (IDispatch* downloader = createDispatch(kInetDownloaderClsid)) {
    for (int i = 0; i < 300; ++i) {
      const std::wstring name = openDownloadFile(downloader);
      Call call = invoke(downloader, kCancel, DISPATCH_METHOD, {});
      release(call);
      // The other apartment may take the name again as soon as this cancel has removed it.
      if (name.empty())
        ++*static_cast<std::atomic<int>*>(failures);
    }
    downloader->Release();
  }
  CoUninitialize();
  return 0;
}

// Two apartments open and cancel at once; each has file numbers of its own.
void checkTwoApartments(Checks& checks) {
  std::atomic<int> failures{0};
  HANDLE threads[2];
  for (HANDLE& thread : threads)
    thread = CreateThread(nullptr, 0, openAndCancel, &failures, 0, nullptr);
  checks.check("two apartment threads start", threads[0] && threads[1]);
  for (HANDLE thread : threads) {
    if (thread) {
      WaitForSingleObject(thread, INFINITE);
      CloseHandle(thread);
    }
  }
  checks.equal("600 opens from two apartments: none fails", failures.load(), 0);
}

struct LoneUse {
  const char* clsid;
  DISPID member;
};

// The one thread of a process that uses the module: one control, one call, then the apartment
// ends and the thread with it, while nothing else holds the module.
DWORD WINAPI useOnceAndEnd(void* use) {
  const auto& lone = *static_cast<const LoneUse*>(use);
  DWORD outcome = 2;
  if (SUCCEEDED(CoInitialize(nullptr))) {
    if (IDispatch* control = createDispatch(lone.clsid)) {
      Call call = invoke(control, lone.member, DISPATCH_PROPERTYGET, {});
      outcome = call.hr == S_OK ? 0 : 2;
      release(call);
      control->Release();
    }
    CoUninitialize();
  }
  return outcome;
}

// Each class in a process of its own: a fault or a hang there must not take this one with it.
void checkLoneThreadsEnd(Checks& checks) {
  std::wstring client(MAX_PATH, L'\0');
  client.resize(GetModuleFileNameW(nullptr, client.data(), MAX_PATH));
  for (const wchar_t* name : {L"base", L"inet-downloader"}) {
    std::wstring commandLine =
        L"\"" + client + L"\" \"" + modulePathUnderTest() + L"\" lone-thread " + name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const std::string label = "a lone thread that used " + std::string(name, name + wcslen(name));
    if (!CreateProcessW(client.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
      checks.check(label + ": its process starts", false);
      continue;
    }
    const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ended)
      TerminateProcess(process.hProcess, 99);
    DWORD status = 99;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    checks.check(label + " ends without hanging its process", ended);
    checks.equal(label + " ends, the module unloaded, and its process exits cleanly",
                 static_cast<unsigned long>(status), 0ul);
  }
}

}  // namespace

int runLoneThread(const std::wstring& name) {
  static const LoneUse base{kBaseClsid, 0x68030003};  // HasCvxMime
  static const LoneUse downloader{kInetDownloaderClsid, kRemoteFileToDownload};
  const LoneUse& use = name == L"base" ? base : downloader;
  HANDLE thread = CreateThread(nullptr, 0, useOnceAndEnd, const_cast<LoneUse*>(&use), 0, nullptr);
  if (thread == nullptr)
    return 2;
  const bool ended = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0;
  DWORD outcome = 1;
  if (ended)
    GetExitCodeThread(thread, &outcome);
  CloseHandle(thread);
  if (outcome == 0 && GetModuleHandleW(modulePathUnderTest().c_str()) != nullptr)
    outcome = 3;  // still loaded: the case the check is about did not arise
  return static_cast<int>(outcome);
}

void checkLifetimes(Checks& checks) {
  checkFactories(checks);
  checkHeldEnumerator(checks);
  checkFilesClose(checks);
  checkTwoApartments(checks);
  checkLoneThreadsEnd(checks);
}

}  // namespace hv::client
