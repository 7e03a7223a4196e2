#pragma once

#include <ocidl.h>

#include "com/com_object.h"
#include "control/connection_point.h"

namespace hv {

// The COM face of a control's outgoing interface. It keeps its container alive; sinks are
// reached through IDispatch, the only way into a dispatch-only event interface.
class ComConnectionPoint : public ComObject<ComLifetime::OwnReferences, IConnectionPoint> {
 public:
  ComConnectionPoint(IConnectionPointContainer* container, ConnectionPoint& events,
                     const GUID& eventInterface);
  ~ComConnectionPoint() override;

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE
  GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

 private:
  IConnectionPointContainer* container_;
  ConnectionPoint& events_;
  GUID eventInterface_;
};

}  // namespace hv
