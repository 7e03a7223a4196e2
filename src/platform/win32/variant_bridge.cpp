#include "platform/win32/variant_bridge.h"

#include <oleauto.h>

#include <climits>

namespace hv {
namespace {

Text bstrText(BSTR value) {
  return value ? textOf(value, SysStringLen(value)) : Text();
}

std::optional<Variant> fromSafeArray(SAFEARRAY* array) {
  LONG lower = 0;
  LONG upper = -1;
  if (!array || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    return std::nullopt;
  }
  Variant::Array elements;
  for (LONG i = lower; i <= upper; ++i) {
    VARIANT element;
    VariantInit(&element);
    if (FAILED(SafeArrayGetElement(array, &i, &element)))
      return std::nullopt;
    auto value = fromComVariant(element);
    VariantClear(&element);
    if (!value)
      return std::nullopt;
    elements.push_back(std::move(*value));
  }
  return Variant(std::move(elements));
}

// The remaining numeric kinds a script may hand over (currency, dates, unsigned and decimal
// numbers) reach the library as doubles, as the runtime converts them.
std::optional<Variant> asDouble(const VARIANT& argument) {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&argument), 0, VT_R8)))
    return std::nullopt;
  return Variant(converted.dblVal);
}

HRESULT safeArrayOf(const Variant::Array& elements, VARIANT& out) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(elements.size()));
  if (!array)
    return E_OUTOFMEMORY;
  for (LONG i = 0; i < static_cast<LONG>(elements.size()); ++i) {
    VARIANT element;
    VariantInit(&element);
    HRESULT hr = toComVariant(elements[static_cast<std::size_t>(i)], element);
    if (SUCCEEDED(hr))
      hr = SafeArrayPutElement(array, &i, &element);
    VariantClear(&element);
    if (FAILED(hr)) {
      SafeArrayDestroy(array);
      return hr;
    }
  }
  V_VT(&out) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&out) = array;
  return S_OK;
}

}  // namespace

Text textOf(const wchar_t* wide, std::size_t length) {
  return Text(reinterpret_cast<const char16_t*>(wide), length);
}

BSTR allocBstr(const Text& text) {
  return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                           static_cast<UINT>(text.size()));
}

std::optional<Variant> fromComVariant(const VARIANT& argument) {
  const VARTYPE type = V_VT(&argument);
  switch (type) {
    case VT_EMPTY:
      return Variant();
    case VT_I2:
      return Variant(static_cast<std::int16_t>(V_I2(&argument)));
    case VT_I4:
      return Variant(static_cast<std::int32_t>(V_I4(&argument)));
    case VT_INT:
      return Variant(static_cast<std::int32_t>(V_INT(&argument)));
    case VT_UI1:
      return Variant(static_cast<std::int16_t>(V_UI1(&argument)));
    case VT_I1:
      return Variant(static_cast<std::int16_t>(V_I1(&argument)));
    case VT_UI2:
      return Variant(static_cast<std::int32_t>(V_UI2(&argument)));
    case VT_R4:
      return Variant(V_R4(&argument));
    case VT_R8:
      return Variant(V_R8(&argument));
    case VT_BOOL:
      return Variant::boolean(V_BOOL(&argument) != VARIANT_FALSE);
    case VT_BSTR:
      return Variant(bstrText(V_BSTR(&argument)));
    case VT_UI4:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_CY:
    case VT_DATE:
    case VT_DECIMAL:
      return asDouble(argument);
    case VT_ARRAY | VT_VARIANT:
      return fromSafeArray(V_ARRAY(&argument));
    case VT_BYREF | VT_VARIANT:
      return V_VARIANTREF(&argument) ? fromComVariant(*V_VARIANTREF(&argument)) : std::nullopt;
    case VT_BYREF | VT_ARRAY | VT_VARIANT:
      return V_ARRAYREF(&argument) ? fromSafeArray(*V_ARRAYREF(&argument)) : std::nullopt;
    default:
      break;
  }
  if ((type & VT_BYREF) && !(type & VT_ARRAY) && V_BYREF(&argument)) {
    // A typed variable passed by reference: read it as the same type passed by value.
    VARIANT value;
    VariantInit(&value);
    if (FAILED(VariantCopyInd(&value, const_cast<VARIANT*>(&argument))))
      return std::nullopt;
    auto result = fromComVariant(value);
    VariantClear(&value);
    return result;
  }
  return std::nullopt;
}

HRESULT toComVariant(const Variant& value, VARIANT& out) {
  VariantInit(&out);
  switch (value.type()) {
    case VarType::Empty:
    case VarType::Variant:
      return S_OK;
    case VarType::Integer:
      V_VT(&out) = VT_I2;
      V_I2(&out) = value.toInt16();
      return S_OK;
    case VarType::Long:
      V_VT(&out) = VT_I4;
      V_I4(&out) = value.toInt32();
      return S_OK;
    case VarType::Single:
      V_VT(&out) = VT_R4;
      V_R4(&out) = value.toSingle();
      return S_OK;
    case VarType::Double:
      V_VT(&out) = VT_R8;
      V_R8(&out) = value.toDouble();
      return S_OK;
    case VarType::Boolean:
      V_VT(&out) = VT_BOOL;
      V_BOOL(&out) = value.toBoolean() ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case VarType::String:
      V_BSTR(&out) = allocBstr(value.text());
      if (!V_BSTR(&out))
        return E_OUTOFMEMORY;
      V_VT(&out) = VT_BSTR;
      return S_OK;
    case VarType::Array:
      return safeArrayOf(value.array(), out);
  }
  return DISP_E_TYPEMISMATCH;
}

void writeBack(const Variant& value, VARIANT& argument) {
  const VARTYPE type = V_VT(&argument);
  if (!(type & VT_BYREF) || !V_BYREF(&argument))
    return;
  if (type == (VT_BYREF | VT_VARIANT)) {
    VARIANT fresh;
    if (SUCCEEDED(toComVariant(value, fresh))) {
      VariantClear(V_VARIANTREF(&argument));
      *V_VARIANTREF(&argument) = fresh;
    }
    return;
  }
  switch (value.type()) {
    case VarType::String:
      if (type == (VT_BYREF | VT_BSTR)) {
        if (BSTR fresh = allocBstr(value.text())) {
          SysFreeString(*V_BSTRREF(&argument));
          *V_BSTRREF(&argument) = fresh;
        }
      }
      return;
    case VarType::Integer:
      if (type == (VT_BYREF | VT_I2))
        *V_I2REF(&argument) = value.toInt16();
      return;
    case VarType::Long:
      if (type == (VT_BYREF | VT_I4))
        *V_I4REF(&argument) = value.toInt32();
      return;
    case VarType::Boolean:
      if (type == (VT_BYREF | VT_BOOL))
        *V_BOOLREF(&argument) = value.toBoolean() ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case VarType::Double:
      if (type == (VT_BYREF | VT_R8))
        *V_R8REF(&argument) = value.toDouble();
      return;
    case VarType::Single:
      if (type == (VT_BYREF | VT_R4))
        *V_R4REF(&argument) = value.toSingle();
      return;
    default:
      return;
  }
}

}  // namespace hv
