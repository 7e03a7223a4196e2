// The embedding layer's in-place side: activation in the container's window, the control's own
// window while active, UI activation and deactivation.
#include <new>

#include "com/com_errors.h"
#include "com/ole_embedding.h"

namespace hv {
namespace {

// Tells `held` of the active object, holding a reference of its own across the call: the
// container may deactivate the control, and so release `held`, from inside its answer.
template <typename Interface>
void tellActiveObject(Interface* held, IOleInPlaceActiveObject* active) {
  if (!held)
    return;
  held->AddRef();
  held->SetActiveObject(active, nullptr);
  held->Release();
}

}  // namespace

// Activation runs the container's side of the protocol in its order: may it, it is, where, then
// the window. A container that refuses or fails leaves the control inactive, as it was.
HRESULT OleEmbedding::activateInPlace(IOleClientSite* activeSite, bool ui) {
  if (!inPlaceSite_) {
    const HRESULT begun = beginInPlace(activeSite ? activeSite : clientSite_);
    if (FAILED(begun) || !inPlaceSite_)
      return FAILED(begun) ? begun : E_UNEXPECTED;
  }
  return ui && info_.uiActivation ? uiActivate() : S_OK;
}

// After every answer of the container the activation is looked at again: the container may have
// ended it, or activated the control itself, from inside the call.
HRESULT OleEmbedding::beginInPlace(IOleClientSite* site) {
  if (!site)
    return E_UNEXPECTED;
  IOleInPlaceSite* inPlace = nullptr;
  if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace))) ||
      !inPlace)
    return E_NOINTERFACE;
  if (inPlace->CanInPlaceActivate() != S_OK) {
    inPlace->Release();
    return E_FAIL;
  }
  const HRESULT activated = inPlace->OnInPlaceActivate();
  if (FAILED(activated) || inPlaceSite_) {
    inPlace->Release();  // refused, or already activated from inside the answer
    return activated;
  }
  inPlaceSite_ = inPlace;
  const std::uint32_t activation = ++activation_;
  HWND parent = nullptr;
  RECT position{}, clip{};
  OLEINPLACEFRAMEINFO frameInfo{};
  frameInfo.cb = sizeof frameInfo;
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = nullptr;
  HRESULT placed = inPlace->GetWindow(&parent);
  if (SUCCEEDED(placed) && stillActive(activation))
    placed = inPlace->GetWindowContext(&frame, &document, &position, &clip, &frameInfo);
  if (!stillActive(activation)) {
    if (frame)
      frame->Release();
    if (document)
      document->Release();
    return E_UNEXPECTED;
  }
  frame_ = frame;
  document_ = document;
  const HRESULT shown = SUCCEEDED(placed) ? showWindow(parent, position, clip) : placed;
  if (!stillActive(activation)) {
    site_->showIn(nullptr);
    window_.reset();  // made after the container had already ended the activation
    return E_UNEXPECTED;
  }
  if (FAILED(shown)) {
    InPlaceDeactivate();
    return shown;
  }
  return S_OK;
}

// A control invisible at run time is active without a window.
HRESULT OleEmbedding::showWindow(HWND parent, const RECT& position, const RECT& clip) {
  if (!info_.visibleAtRunTime)
    return S_OK;
  if (!parent)
    return E_UNEXPECTED;
  return guarded([&] {
    window_ = std::make_unique<ControlWindow>(parent, position, layout_, site_->parkingWindow());
    if (!window_->handle()) {
      window_.reset();
      return E_FAIL;
    }
    window_->place(position, clip);
    site_->showIn(window_->handle());
    return S_OK;
  });
}

HRESULT OleEmbedding::uiActivate() {
  if (uiActive_)
    return S_OK;
  if (!inPlaceSite_)
    return E_UNEXPECTED;
  const std::uint32_t activation = activation_;
  const HRESULT allowed = inPlaceSite_->OnUIActivate();
  if (FAILED(allowed))
    return allowed;
  if (!stillActive(activation) || uiActive_)
    return stillActive(activation) ? S_OK : E_UNEXPECTED;
  uiActive_ = true;
  IOleInPlaceActiveObject* active = this;
  tellActiveObject(frame_, active);
  if (stillActive(activation))
    tellActiveObject(document_, active);
  if (stillActive(activation) && window_)
    SetFocus(window_->handle());
  return stillActive(activation) ? S_OK : E_UNEXPECTED;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::UIDeactivate() {
  if (!uiActive_)
    return S_OK;
  uiActive_ = false;
  tellActiveObject(frame_, static_cast<IOleInPlaceActiveObject*>(nullptr));
  tellActiveObject(document_, static_cast<IOleInPlaceActiveObject*>(nullptr));
  if (IOleInPlaceSite* site = inPlaceSite_) {
    site->AddRef();
    site->OnUIDeactivate(FALSE);
    site->Release();
  }
  return S_OK;
}

// The container is told last, after the window is gone and with every reference it gave
// released: it may release the control from inside OnInPlaceDeactivate.
HRESULT STDMETHODCALLTYPE OleEmbedding::InPlaceDeactivate() {
  if (!inPlaceSite_)
    return S_OK;
  UIDeactivate();
  if (!inPlaceSite_)
    return S_OK;  // the container deactivated the control from inside its answer
  ++activation_;
  site_->showIn(nullptr);
  window_.reset();
  holdReference(frame_, static_cast<IOleInPlaceFrame*>(nullptr));
  holdReference(document_, static_cast<IOleInPlaceUIWindow*>(nullptr));
  IOleInPlaceSite* site = inPlaceSite_;
  inPlaceSite_ = nullptr;
  site->OnInPlaceDeactivate();
  site->Release();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetWindow(HWND* window) {
  if (!window)
    return E_POINTER;
  *window = window_ ? window_->handle() : nullptr;
  return *window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::SetObjectRects(LPCRECT position, LPCRECT clip) {
  if (!position)
    return E_POINTER;
  return guarded([&] {
    if (window_)
      window_->place(*position, clip ? *clip : *position);
    return S_OK;
  });
}

}  // namespace hv
