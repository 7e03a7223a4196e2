#include "com/com_control.h"

namespace hv {
namespace {

HRESULT changeType(VARIANT& result, VARTYPE type) {
  const HRESULT hr = VariantChangeType(&result, &result, 0, type);
  if (FAILED(hr))
    VariantClear(&result);
  return hr;
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
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&v) = value;
  return v;
}

VARIANT byReference(short* value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_I2;
  V_I2REF(&v) = value;
  return v;
}

VARIANT byReference(VARIANT* value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&v) = value;
  return v;
}

}  // namespace hv
