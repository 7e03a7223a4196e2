#include "download_sink.h"

#include <tlhelp32.h>

#include <algorithm>

#include "client_checks.h"
#include "control/library_classes.h"

namespace hv::client {
namespace {

// InetDownloader's outgoing interface.
constexpr const char* kDownloaderEvents = "{0A8B740E-A370-4D56-8674-0669E2AC0257}";

// An argument as its value, whether it came by reference or not.
VARIANT valueOf(const VARIANT& argument, VARTYPE type) {
  VARIANT value;
  VariantInit(&value);
  VariantChangeType(&value, const_cast<VARIANT*>(&argument), 0, type);
  return value;
}

long longOf(const VARIANT& argument) {
  VARIANT value = valueOf(argument, VT_I4);
  const long number = V_VT(&value) == VT_I4 ? V_I4(&value) : -1;
  VariantClear(&value);
  return number;
}

std::wstring textOf(const VARIANT& argument) {
  VARIANT value = valueOf(argument, VT_BSTR);
  std::wstring text = V_VT(&value) == VT_BSTR ? bstrText(V_BSTR(&value)) : L"(not text)";
  VariantClear(&value);
  return text;
}

}  // namespace

HRESULT STDMETHODCALLTYPE RecordingSink::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == guidOf(kDownloaderEvents)) {
    *object = this;
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE RecordingSink::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

// DISPPARAMS lists the last parameter first.
HRESULT STDMETHODCALLTYPE RecordingSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                                VARIANT*, EXCEPINFO*, UINT*) {
  using namespace inet_downloader_dispid;
  DownloadEvent event{id, 0, 0, {}, GetCurrentThreadId()};
  const UINT count = params ? params->cArgs : 0;
  if (id == kEventProgress && count == 2) {
    event.first = longOf(params->rgvarg[1]);
    event.second = longOf(params->rgvarg[0]);
  } else if (id == kEventError && count == 2) {
    event.first = longOf(params->rgvarg[1]);
    event.message = textOf(params->rgvarg[0]);
  }
  events.push_back(event);
  arguments = params;
  if (onEvent)
    onEvent(event);
  arguments = nullptr;
  return answer;
}

bool RecordingSink::ended() const {
  return count(inet_downloader_dispid::kEventDownloadComplete) > 0 ||
         count(inet_downloader_dispid::kEventError) > 0;
}

std::size_t RecordingSink::count(DISPID id) const {
  std::size_t n = 0;
  for (const auto& event : events)
    n += event.id == id ? 1 : 0;
  return n;
}

SinkConnection::SinkConnection(IUnknown* object, IDispatch* sink) {
  IConnectionPointContainer* container = nullptr;
  object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
  if (!container)
    return;
  container->FindConnectionPoint(guidOf(kDownloaderEvents), &point_);
  container->Release();
  if (point_ && FAILED(point_->Advise(sink, &cookie_))) {
    point_->Release();
    point_ = nullptr;
  }
}

SinkConnection::~SinkConnection() {
  if (!point_)
    return;
  point_->Unadvise(cookie_);
  point_->Release();
}

bool pumpUntil(const std::function<bool()>& done, DWORD millis) {
  const ULONGLONG deadline = GetTickCount64() + millis;
  while (!done()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline)
      return false;
    MsgWaitForMultipleObjectsEx(0, nullptr,
                                static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

int threadCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return -1;
  int count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
  CloseHandle(snapshot);
  return count;
}

std::wstring tempPath(const std::wstring& name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return folder + name;
}

std::string tempFileBytes(const std::wstring& name) {
  HANDLE file = CreateFileW(tempPath(name).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return {};
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

}  // namespace hv::client
