#pragma once

#include <objbase.h>
#include <ocidl.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <vector>

namespace hv::client {

// One event as the sink received it, with the thread it arrived on.
struct DownloadEvent {
  DISPID id;
  long first;            // Progress: BytesReceived; error: errCode
  long second;           // Progress: bytesRemaining
  std::wstring message;  // error: errMsg
  DWORD thread;
};

// A page's handler object for InetDownloader's events: records each one and may act inside the
// raise, as a page's handler may.
class RecordingSink : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override;

  // Whether DownloadComplete or error has come.
  bool ended() const;
  std::size_t count(DISPID id) const;

  std::vector<DownloadEvent> events;
  std::function<void(const DownloadEvent&)> onEvent;
  // The raise's own arguments while `onEvent` runs, and what Invoke answers.
  DISPPARAMS* arguments = nullptr;
  HRESULT answer = S_OK;

 private:
  ULONG references_ = 1;
};

// Connects `sink` to the events of `object` for as long as it lives.
class SinkConnection {
 public:
  SinkConnection(IUnknown* object, IDispatch* sink);
  ~SinkConnection();
  SinkConnection(const SinkConnection&) = delete;
  SinkConnection& operator=(const SinkConnection&) = delete;
  bool connected() const { return point_ != nullptr; }

 private:
  IConnectionPoint* point_ = nullptr;
  DWORD cookie_ = 0;
};

// Pumps the thread's messages, as a browser does, until `done` or `millis` have passed; true when
// done.
bool pumpUntil(const std::function<bool()>& done, DWORD millis);

// The threads of this process now.
int threadCount();

// A file of the temporary folder as bytes; empty when it cannot be read.
std::string tempFileBytes(const std::wstring& name);
std::wstring tempPath(const std::wstring& name);

}  // namespace hv::client
