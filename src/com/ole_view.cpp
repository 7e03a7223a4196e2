// The embedding layer's view: the same panel the control's window shows, drawn wherever the
// container asks (a windowless container, a print, a snapshot).
#include "com/com_errors.h"
#include "com/ole_embedding.h"
#include "com/panel_painter.h"

namespace hv {

HRESULT STDMETHODCALLTYPE OleEmbedding::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC,
                                             HDC dc, LPCRECTL bounds, LPCRECTL,
                                             BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT)
    return DV_E_DVASPECT;
  if (!dc)
    return E_INVALIDARG;
  // Drawing into the active window's own device context needs no place: it is the window.
  RECT area{};
  if (bounds) {
    area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  } else if (window_) {
    GetClientRect(window_->handle(), &area);
  } else {
    return E_INVALIDARG;
  }
  if (!drawableBounds(area))
    return E_INVALIDARG;
  if (!info_.visibleAtRunTime)
    return S_OK;
  return guarded([&] {
    const HWND children = window_ ? window_->handle() : site_->parkingWindow();
    paintPanel(dc, area, {layout_, children, false});
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                                    LOGPALETTE** colours) {
  if (!colours)
    return E_POINTER;
  *colours = nullptr;
  return S_FALSE;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  holdReference(viewSink_, sink);
  viewAspects_ = aspects;
  viewFlags_ = flags;
  if (sink && (flags & ADVF_PRIMEFIRST))
    viewChanged();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetAdvise(DWORD* aspects, DWORD* flags,
                                                  IAdviseSink** sink) {
  if (aspects)
    *aspects = viewAspects_;
  if (flags)
    *flags = viewFlags_;
  if (sink) {
    *sink = viewSink_;
    if (viewSink_)
      viewSink_->AddRef();
  }
  return S_OK;
}

void OleEmbedding::viewChanged() {
  if (!viewSink_ || !(viewAspects_ & DVASPECT_CONTENT))
    return;
  IAdviseSink* sink = viewSink_;
  if (viewFlags_ & ADVF_ONLYONCE) {
    viewSink_ = nullptr;
    viewAspects_ = 0;
  } else {
    sink->AddRef();
  }
  sink->OnViewChange(DVASPECT_CONTENT, -1);
  sink->Release();
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*,
                                                  LPSIZEL size) {
  return GetExtent(aspect, size);
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetRect(DWORD aspect, LPRECTL rect) {
  if (!rect)
    return E_POINTER;
  if (aspect != DVASPECT_CONTENT)
    return DV_E_DVASPECT;
  *rect = {0, 0, extent_.cx, extent_.cy};
  return S_OK;
}

// The panel paints every pixel of its surface.
HRESULT STDMETHODCALLTYPE OleEmbedding::GetViewStatus(DWORD* status) {
  if (!status)
    return E_POINTER;
  *status = info_.visibleAtRunTime ? VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND : 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location,
                                                      LONG, DWORD* hit) {
  if (!bounds || !hit)
    return E_POINTER;
  if (aspect != DVASPECT_CONTENT)
    return DV_E_DVASPECT;
  *hit = info_.visibleAtRunTime && PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location,
                                                     LONG, DWORD* hit) {
  if (!bounds || !location || !hit)
    return E_POINTER;
  if (aspect != DVASPECT_CONTENT)
    return DV_E_DVASPECT;
  RECT overlap;
  *hit = info_.visibleAtRunTime && IntersectRect(&overlap, bounds, location) ? HITRESULT_HIT
                                                                             : HITRESULT_OUTSIDE;
  return S_OK;
}

}  // namespace hv
