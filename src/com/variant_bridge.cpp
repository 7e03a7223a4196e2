#include "com/variant_bridge.h"

#include <oleauto.h>

#include <algorithm>
#include <vector>

namespace hv {
namespace {

// A by-reference argument names a variable, which a caller may make name another (or itself):
// past this many steps the chain is refused as a type mismatch.
constexpr int kMaxReferenceSteps = 16;
// Arrays nested deeper than this, or holding more values in all, are refused as well: a page
// must not be able to exhaust the stack or the memory with one argument.
constexpr std::size_t kMaxArrayDepth = 64;
constexpr std::size_t kMaxArrayValues = 1u << 20;

Text bstrText(BSTR value) {
  return value ? textOf(value, SysStringLen(value)) : Text();
}

// The variable a by-reference VARIANT names, following references to references.
const VARIANT* referencedValue(const VARIANT& argument) {
  const VARIANT* value = &argument;
  for (int step = 0; V_VT(value) == (VT_BYREF | VT_VARIANT); ++step) {
    if (step == kMaxReferenceSteps || !V_VARIANTREF(value))
      return nullptr;
    value = V_VARIANTREF(value);
  }
  return value;
}

// The one-dimensional array of VARIANTs a value holds, directly or by reference; null for
// anything else.
SAFEARRAY* variantArrayOf(const VARIANT& value) {
  if (V_VT(&value) == (VT_ARRAY | VT_VARIANT))
    return V_ARRAY(&value);
  if (V_VT(&value) == (VT_BYREF | VT_ARRAY | VT_VARIANT) && V_ARRAYREF(&value))
    return *V_ARRAYREF(&value);
  return nullptr;
}

bool isArray(const VARIANT& value) {
  return (V_VT(&value) & VT_ARRAY) != 0;
}

// Kinds the runtime has no type for (currency, dates, 64-bit, unsigned and decimal numbers)
// reach the library as doubles, as the runtime converts them; as text they read as the system
// writes them, so a date stays a date and the largest currency keeps its fraction.
std::optional<Variant> changedType(const VARIANT& argument, VARTYPE type) {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&argument), 0, type)))
    return std::nullopt;
  if (type == VT_BSTR) {
    Text text = bstrText(V_BSTR(&converted));
    VariantClear(&converted);
    return Variant(std::move(text));
  }
  return Variant(converted.dblVal);
}

// A value that is not an array, by value or through a typed reference.
std::optional<Variant> fromScalar(const VARIANT& argument, VarType declared) {
  switch (V_VT(&argument)) {
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
      return changedType(argument, declared == VarType::String ? VT_BSTR : VT_R8);
    default:
      break;
  }
  if ((V_VT(&argument) & VT_BYREF) && V_BYREF(&argument)) {
    // A typed variable passed by reference: read it as the same type passed by value.
    VARIANT value;
    VariantInit(&value);
    if (FAILED(VariantCopyInd(&value, const_cast<VARIANT*>(&argument))))
      return std::nullopt;
    auto result = fromScalar(value, declared);
    VariantClear(&value);
    return result;
  }
  return std::nullopt;
}

// An array being read: its elements in place (never copied, so nothing below recurses) and the
// values read from them so far.
struct ArrayLevel {
  SAFEARRAY* array;
  const VARIANT* elements;
  std::size_t count;
  Variant::Array values;
};

bool enter(SAFEARRAY* array, std::vector<ArrayLevel>& levels) {
  if (!array || levels.size() == kMaxArrayDepth || SafeArrayGetDim(array) != 1 ||
      SafeArrayGetElemsize(array) != sizeof(VARIANT)) {
    return false;
  }
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data)))
    return false;
  const std::size_t count = array->rgsabound[0].cElements;
  levels.push_back({array, static_cast<const VARIANT*>(data), count, {}});
  levels.back().values.reserve(std::min(count, kMaxArrayValues));
  return true;
}

std::optional<Variant> fromArray(SAFEARRAY* outermost) {
  std::vector<ArrayLevel> levels;
  std::optional<Variant> result;
  std::size_t budget = kMaxArrayValues;
  bool refused = !enter(outermost, levels);
  while (!refused && !levels.empty()) {
    ArrayLevel& level = levels.back();
    if (level.values.size() == level.count) {
      Variant finished(std::move(level.values));
      SafeArrayUnaccessData(level.array);
      levels.pop_back();
      if (levels.empty())
        result = std::move(finished);
      else
        levels.back().values.push_back(std::move(finished));
      continue;
    }
    const VARIANT* element = referencedValue(level.elements[level.values.size()]);
    if (!element || budget-- == 0) {
      refused = true;
    } else if (SAFEARRAY* inner = variantArrayOf(*element)) {
      refused = !enter(inner, levels);
    } else if (auto value =
                   isArray(*element) ? std::nullopt : fromScalar(*element, VarType::Variant)) {
      level.values.push_back(std::move(*value));
    } else {
      refused = true;
    }
  }
  for (const ArrayLevel& level : levels)
    SafeArrayUnaccessData(level.array);
  return result;
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

std::optional<Variant> fromComVariant(const VARIANT& argument, VarType declared) {
  const VARIANT* value = referencedValue(argument);
  if (!value)
    return std::nullopt;
  if (!isArray(*value))
    return fromScalar(*value, declared);
  // Only a parameter that takes any value or an array can take one: anything else is refused
  // before a single element is looked at.
  if (declared != VarType::Variant && declared != VarType::Array)
    return std::nullopt;
  SAFEARRAY* array = variantArrayOf(*value);
  return array ? fromArray(array) : std::nullopt;
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

void writeBack(const Variant& value, VARIANT& argument, bool memberFailed) {
  const VARTYPE type = V_VT(&argument);
  if (!(type & VT_BYREF) || !V_BYREF(&argument))
    return;
  if (type == (VT_BYREF | VT_VARIANT)) {
    VARIANT* variable = V_VARIANTREF(&argument);
    VARIANT fresh;
    if (FAILED(toComVariant(value, fresh)))
      return;
    if (memberFailed && V_VT(variable) != V_VT(&fresh)) {
      VariantClear(&fresh);
      return;
    }
    VariantClear(variable);
    *variable = fresh;
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
