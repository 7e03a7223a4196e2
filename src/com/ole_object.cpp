// The embedding layer's object side: identity, the client site, extents, verbs, advise sinks
// and persistence.
#include <olectl.h>

#include <cmath>

#include "com/com_errors.h"
#include "com/ole_embedding.h"
#include "com/panel_painter.h"
#include "com/type_library.h"
#include "control/library_classes.h"

namespace hv {
namespace {

const UserControlLayout& layoutOf(const ClassInfo& info) {
  return &info == &baseClass() ? baseLayout() : inetDownloaderLayout();
}

// HIMETRIC (0.01 mm) from twips (1/1440 inch).
LONG himetric(std::int32_t twips) {
  return static_cast<LONG>(std::lround(twips * 2540.0 / 1440.0));
}

}  // namespace

OleEmbedding::OleEmbedding(IUnknown& outer, const ClassInfo& info,
                           std::shared_ptr<Win32UiSite> site)
    : outer_(outer),
      info_(info),
      layout_(layoutOf(info)),
      site_(std::move(site)),
      extent_{himetric(layout_.designWidth), himetric(layout_.designHeight)} {}

OleEmbedding::~OleEmbedding() {
  InPlaceDeactivate();
  holdReference(viewSink_, static_cast<IAdviseSink*>(nullptr));
  holdReference(adviseHolder_, static_cast<IOleAdviseHolder*>(nullptr));
  holdReference(clientSite_, static_cast<IOleClientSite*>(nullptr));
}

void* OleEmbedding::interfaceFor(REFIID riid) {
  if (riid == IID_IOleObject)
    return static_cast<IOleObject*>(this);
  if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
    return static_cast<IOleInPlaceObject*>(this);
  if (riid == IID_IOleInPlaceActiveObject)
    return static_cast<IOleInPlaceActiveObject*>(this);
  if (riid == IID_IOleControl)
    return static_cast<IOleControl*>(this);
  if (riid == IID_IViewObject || riid == IID_IViewObject2 || riid == IID_IViewObjectEx)
    return static_cast<IViewObjectEx*>(this);
  if (riid == IID_IPersist || riid == IID_IPersistStreamInit)
    return static_cast<IPersistStreamInit*>(this);
  if (riid == IID_IPersistPropertyBag)
    return static_cast<IPersistPropertyBag*>(this);
  if (riid == IID_IPersistStorage)
    return static_cast<IPersistStorage*>(this);
  return nullptr;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::SetClientSite(IOleClientSite* site) {
  holdReference(clientSite_, site);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetClientSite(IOleClientSite** site) {
  if (!site)
    return E_POINTER;
  *site = clientSite_;
  if (clientSite_)
    clientSite_->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::Close(DWORD) {
  InPlaceDeactivate();
  if (adviseHolder_)
    adviseHolder_->SendOnClose();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker)
    *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetClipboardData(DWORD, IDataObject** data) {
  if (data)
    *data = nullptr;
  return E_NOTIMPL;
}

// Every verb that shows the control activates it in place; hiding takes it down again.
HRESULT STDMETHODCALLTYPE OleEmbedding::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG,
                                               HWND, LPCRECT) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
      return activateInPlace(activeSite, true);
    case OLEIVERB_INPLACEACTIVATE:
      return activateInPlace(activeSite, false);
    case OLEIVERB_HIDE:
      return InPlaceDeactivate();
    case OLEIVERB_OPEN:
    case OLEIVERB_DISCARDUNDOSTATE:
      return E_NOTIMPL;
    default:
      return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
  }
}

HRESULT STDMETHODCALLTYPE OleEmbedding::EnumVerbs(IEnumOLEVERB** verbs) {
  if (!verbs)
    return E_POINTER;
  *verbs = nullptr;
  return OLEOBJ_E_NOVERBS;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetUserType(DWORD form, LPOLESTR* type) {
  if (!type)
    return E_POINTER;
  CLSID clsid;
  GetClassID(&clsid);
  return OleRegGetUserType(clsid, form, type);
}

HRESULT STDMETHODCALLTYPE OleEmbedding::SetExtent(DWORD aspect, SIZEL* size) {
  if (!size)
    return E_POINTER;
  if (aspect != DVASPECT_CONTENT)
    return DV_E_DVASPECT;
  if (size->cx <= 0 || size->cy <= 0 || size->cx > kLargestExtent || size->cy > kLargestExtent)
    return E_INVALIDARG;
  extent_ = *size;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size)
    return E_POINTER;
  if (aspect != DVASPECT_CONTENT)
    return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!sink || !connection)
    return E_POINTER;
  if (!adviseHolder_) {
    const HRESULT made = CreateOleAdviseHolder(&adviseHolder_);
    if (FAILED(made))
      return made;
  }
  return adviseHolder_->Advise(sink, connection);
}

HRESULT STDMETHODCALLTYPE OleEmbedding::Unadvise(DWORD connection) {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::EnumAdvise(IEnumSTATDATA** advises) {
  if (!advises)
    return E_POINTER;
  *advises = nullptr;
  return adviseHolder_ ? adviseHolder_->EnumAdvise(advises) : S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status)
    return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? info_.miscStatus : 0;
  return S_OK;
}

// No accelerators and no mnemonics: the panel takes no keyboard input.
HRESULT STDMETHODCALLTYPE OleEmbedding::GetControlInfo(CONTROLINFO* info) {
  if (!info)
    return E_POINTER;
  if (info->cb < sizeof(CONTROLINFO))
    return E_INVALIDARG;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetClassID(CLSID* clsid) {
  if (!clsid)
    return E_POINTER;
  *clsid = toGuid(info_.clsid);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OleEmbedding::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size)
    return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

}  // namespace hv
