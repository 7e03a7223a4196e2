#include "platform/win32/single_connection_point_enumerator.h"

#include <new>

namespace hv {

SingleConnectionPointEnumerator::SingleConnectionPointEnumerator(IConnectionPoint* point,
                                                                 ULONG position)
    : point_(point), position_(position) {
  point_->AddRef();
}

SingleConnectionPointEnumerator::~SingleConnectionPointEnumerator() {
  point_->Release();
}

HRESULT STDMETHODCALLTYPE SingleConnectionPointEnumerator::QueryInterface(REFIID riid,
                                                                          void** object) {
  if (!object)
    return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IEnumConnectionPoints) {
    *object = static_cast<IEnumConnectionPoints*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE SingleConnectionPointEnumerator::AddRef() {
  return ++references_;
}

ULONG STDMETHODCALLTYPE SingleConnectionPointEnumerator::Release() {
  const ULONG left = --references_;
  if (left == 0)
    delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE SingleConnectionPointEnumerator::Next(ULONG count,
                                                                IConnectionPoint** points,
                                                                ULONG* fetched) {
  if (!points || (count > 1 && !fetched))
    return E_POINTER;
  ULONG handed = 0;
  if (count > 0 && position_ == 0) {
    point_->AddRef();
    points[0] = point_;
    position_ = handed = 1;
  }
  if (fetched)
    *fetched = handed;
  return handed == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE SingleConnectionPointEnumerator::Skip(ULONG count) {
  if (count == 0)
    return S_OK;
  const bool skipped = position_ == 0 && count == 1;
  position_ = 1;
  return skipped ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE SingleConnectionPointEnumerator::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE SingleConnectionPointEnumerator::Clone(IEnumConnectionPoints** copy) {
  if (!copy)
    return E_POINTER;
  *copy = new (std::nothrow) SingleConnectionPointEnumerator(point_, position_);
  return *copy ? S_OK : E_OUTOFMEMORY;
}

}  // namespace hv
