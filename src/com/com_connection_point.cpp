#include "com/com_connection_point.h"

#include <olectl.h>

#include <memory>
#include <vector>

#include "com/com_errors.h"
#include "com/dispatch_event_sink.h"
#include "com/snapshot_enumerator.h"

namespace hv {

ComConnectionPoint::ComConnectionPoint(IConnectionPointContainer* container,
                                       ConnectionPoint& events, const GUID& eventInterface)
    : container_(container), events_(events), eventInterface_(eventInterface) {
  container_->AddRef();
}

ComConnectionPoint::~ComConnectionPoint() {
  container_->Release();
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
  // The library's sink holds a reference of its own for as long as the connection lasts.
  const HRESULT hr = guarded([&] {
    *cookie = events_.advise(std::make_shared<DispatchEventSink>(dispatch));
    return S_OK;
  });
  dispatch->Release();
  return hr;
}

HRESULT STDMETHODCALLTYPE ComConnectionPoint::Unadvise(DWORD cookie) {
  return guarded([&] {
    events_.unadvise(cookie);
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE ComConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (!connections)
    return E_POINTER;
  *connections = nullptr;
  return guarded([&] {
    std::vector<CONNECTDATA> made;
    for (const auto& connection : events_.connections()) {
      // Base's own handlers of its downloader's events are no COM objects and are not listed.
      if (const auto* sink = dynamic_cast<const DispatchEventSink*>(connection.sink.get()))
        made.push_back({sink->handler(), connection.cookie});
    }
    *connections = new ConnectionEnumerator(std::move(made));
    return S_OK;
  });
}

}  // namespace hv
