#include "com/com_connection_point.h"

#include <olectl.h>

#include <memory>
#include <vector>

#include "com/dispatch_event_sink.h"
#include "com/snapshot_enumerator.h"
#include "control/dispatch_error.h"

namespace hv {

ComConnectionPoint::ComConnectionPoint(IConnectionPointContainer* container,
                                       ConnectionPoint& events, const GUID& eventInterface)
    : container_(container), events_(events), eventInterface_(eventInterface) {
  container_->AddRef();
}

ComConnectionPoint::~ComConnectionPoint() {
  container_->Release();
}

HRESULT STDMETHODCALLTYPE ComConnectionPoint::QueryInterface(REFIID riid, void** object) {
  if (!object)
    return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ComConnectionPoint::AddRef() {
  return ++references_;
}

ULONG STDMETHODCALLTYPE ComConnectionPoint::Release() {
  const ULONG left = --references_;
  if (left == 0)
    delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE ComConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid)
    return E_POINTER;
  *iid = eventInterface_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE
ComConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container)
    return E_POINTER;
  container_->AddRef();
  *container = container_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ComConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie)
    return E_POINTER;
  *cookie = 0;
  IDispatch* dispatch = nullptr;
  if (FAILED(sink->QueryInterface(eventInterface_, reinterpret_cast<void**>(&dispatch))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  std::shared_ptr<EventSink> wrapped;
  try {
    wrapped = std::make_shared<DispatchEventSink>(dispatch);
  } catch (...) {
    dispatch->Release();
    return E_OUTOFMEMORY;
  }
  dispatch->Release();
  try {
    *cookie = events_.advise(std::move(wrapped));
    return S_OK;
  } catch (const DispatchError& error) {
    return static_cast<HRESULT>(error.code());
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT STDMETHODCALLTYPE ComConnectionPoint::Unadvise(DWORD cookie) {
  try {
    events_.unadvise(cookie);
    return S_OK;
  } catch (const DispatchError& error) {
    return static_cast<HRESULT>(error.code());
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT STDMETHODCALLTYPE ComConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (!connections)
    return E_POINTER;
  *connections = nullptr;
  try {
    std::vector<CONNECTDATA> made;
    for (const auto& connection : events_.connections()) {
      // Base's own handlers of its downloader's events are no COM objects and are not listed.
      if (const auto* sink = dynamic_cast<const DispatchEventSink*>(connection.sink.get()))
        made.push_back({sink->handler(), connection.cookie});
    }
    *connections = new ConnectionEnumerator(IID_IEnumConnections, std::move(made));
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace hv
