#include "client_calls.h"

#include "client_checks.h"

namespace hv::client {

IDispatch* createDispatch(const char* clsid) {
  IDispatch* object = nullptr;
  CoCreateInstance(guidOf(clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                   reinterpret_cast<void**>(&object));
  return object;
}

Call invoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args) {
  Call call{};
  VariantInit(&call.result);
  call.argumentError = 99;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{args.data(), flags == DISPATCH_PROPERTYPUT ? &put : nullptr,
                    static_cast<UINT>(args.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
  call.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &call.result,
                           &call.exception, &call.argumentError);
  return call;
}

void release(Call& call) {
  VariantClear(&call.result);
  SysFreeString(call.exception.bstrSource);
  SysFreeString(call.exception.bstrDescription);
  SysFreeString(call.exception.bstrHelpFile);
}

VARIANT textVariant(const wchar_t* value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(value);
  return v;
}

VARIANT referenceTo(VARIANT* target) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&v) = target;
  return v;
}

// Each level takes the one inside it over by moving the VARIANT into its only element:
// SafeArrayPutElement would copy the whole depth every time.
VARIANT nestedArray(const wchar_t* innermost, std::size_t depth) {
  VARIANT current = textVariant(innermost);
  for (std::size_t level = 0; level < depth; ++level) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    void* data = nullptr;
    if (!array || FAILED(SafeArrayAccessData(array, &data)))
      break;
    *static_cast<VARIANT*>(data) = current;
    SafeArrayUnaccessData(array);
    VariantInit(&current);
    V_VT(&current) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&current) = array;
  }
  return current;
}

void clearVariant(VARIANT& value) {
  while (V_VT(&value) == (VT_ARRAY | VT_VARIANT) && V_ARRAY(&value) &&
         V_ARRAY(&value)->rgsabound[0].cElements == 1) {
    SAFEARRAY* array = V_ARRAY(&value);
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data)))
      break;
    VARIANT inner = *static_cast<VARIANT*>(data);
    VariantInit(static_cast<VARIANT*>(data));
    SafeArrayUnaccessData(array);
    SafeArrayDestroy(array);
    value = inner;
  }
  VariantClear(&value);
}

}  // namespace hv::client
