#include "com/com_control.h"

namespace hv {
namespace {

HRESULT changeType(VARIANT& result, VARTYPE type) {
  const HRESULT hr = VariantChangeType(&result, &result, 0, type);
  if (FAILED(hr))
    VariantClear(&result);
  return hr;
}

VARIANT referenceTo(VARTYPE type, void* value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = static_cast<VARTYPE>(VT_BYREF | type);
  V_BYREF(&v) = value;
  return v;
}

}  // namespace

HRESULT storeResult(VARIANT& result, VARIANT_BOOL* out) {
  const HRESULT hr = changeType(result, VT_BOOL);
  if (SUCCEEDED(hr))
    *out = V_BOOL(&result);
  return hr;
}

HRESULT storeResult(VARIANT& result, BSTR* out) {
  const HRESULT hr = changeType(result, VT_BSTR);
  if (SUCCEEDED(hr))
    *out = V_BSTR(&result);  // ownership passes to the caller
  return hr;
}

HRESULT storeResult(VARIANT& result, long* out) {
  const HRESULT hr = changeType(result, VT_I4);
  if (SUCCEEDED(hr))
    *out = V_I4(&result);
  return hr;
}

HRESULT storeResult(VARIANT& result, VARIANT* out) {
  *out = result;  // ownership passes to the caller
  return S_OK;
}

VARIANT byValue(BSTR value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = value;
  return v;
}

VARIANT byReference(BSTR* value) {
  return referenceTo(VT_BSTR, value);
}

VARIANT byReference(short* value) {
  return referenceTo(VT_I2, value);
}

VARIANT byReference(VARIANT* value) {
  return referenceTo(VT_VARIANT, value);
}

}  // namespace hv
