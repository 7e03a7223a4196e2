// The embedding layer's in-place side: activation in the container's window, the control's own
// window while active, UI activation and deactivation.
#include <new>

#include "platform/win32/com_errors.h"
#include "platform/win32/ole_embedding.h"

namespace hv {
// Activation runs the container's side of the protocol in its order: may it, it is, where, then
// the window. A container that refuses or fails leaves the control inactive, as it was.
HRESULT OleEmbedding::activateInPlace(IOleClientSite* activeSite, bool ui) {
  if (!inPlaceSite_) {
    IOleClientSite* site = activeSite ? activeSite : clientSite_;
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
    if (FAILED(activated)) {
      inPlace->Release();
      return activated;
    }
    inPlaceSite_ = inPlace;
    HWND parent = nullptr;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    const HRESULT placed =
        SUCCEEDED(inPlaceSite_->GetWindow(&parent))
            ? inPlaceSite_->GetWindowContext(&frame_, &document_, &position, &clip, &frameInfo)
            : E_FAIL;
    const HRESULT shown = SUCCEEDED(placed) ? showWindow(parent, position, clip) : placed;
    if (FAILED(shown)) {
      InPlaceDeactivate();
      return shown;
    }
  }
  return ui && info_.uiActivation ? uiActivate() : S_OK;
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
  const HRESULT allowed = inPlaceSite_->OnUIActivate();
  if (FAILED(allowed))
    return allowed;
  uiActive_ = true;
  IOleInPlaceActiveObject* active = this;
  if (frame_)
    frame_->SetActiveObject(active, nullptr);
  if (document_)
    document_->SetActiveObject(active, nullptr);
  if (window_)
    SetFocus(window_->handle());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::UIDeactivate() {
  if (!uiActive_)
    return S_OK;
  uiActive_ = false;
  if (frame_)
    frame_->SetActiveObject(nullptr, nullptr);
  if (document_)
    document_->SetActiveObject(nullptr, nullptr);
  if (inPlaceSite_)
    inPlaceSite_->OnUIDeactivate(FALSE);
  return S_OK;
}

// The container is told last, after the window is gone and with every reference it gave
// released: it may release the control from inside OnInPlaceDeactivate.
HRESULT STDMETHODCALLTYPE OleEmbedding::InPlaceDeactivate() {
  if (!inPlaceSite_)
    return S_OK;
  UIDeactivate();
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
  if (window_)
    window_->place(*position, clip ? *clip : *position);
  return S_OK;
}

}  // namespace hv
