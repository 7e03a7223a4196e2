// Arguments as the module reads them: dates and currency as the system writes them, and arrays
// or references a page or client can build to exhaust the stack refused as type mismatches.
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "client_calls.h"
#include "client_checks.h"

namespace hv::client {
namespace {

constexpr DISPID kGetFileNameParts = 0x6003000A;
constexpr DISPID kGetRemoteFile = 0x60030012;

std::wstring element(const VARIANT& array, LONG index) {
  if (V_VT(&array) != (VT_ARRAY | VT_VARIANT))
    return L"<not an array>";
  VARIANT value;
  VariantInit(&value);
  if (FAILED(SafeArrayGetElement(V_ARRAY(&array), &index, &value)) || V_VT(&value) != VT_BSTR)
    return L"<not a text>";
  std::wstring text = bstrText(V_BSTR(&value));
  VariantClear(&value);
  return text;
}

std::wstring systemText(VARIANT value) {
  VARIANT text;
  VariantInit(&text);
  if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR)))
    return L"<no text>";
  std::wstring result = bstrText(V_BSTR(&text));
  VariantClear(&text);
  return result;
}

// getFileNameParts splits its text at the last dot: the parts show the text it was given.
void checkSystemText(Checks& checks, IDispatch* downloader, VARIANT value,
                     const std::string& what) {
  const std::wstring expected = systemText(value);
  Call call = invoke(downloader, kGetFileNameParts, DISPATCH_METHOD, {value});
  const auto dot = expected.rfind(L'.');
  if (dot == std::wstring::npos) {
    checks.equal(what + ": its text has no dot to split at", call.hr, DISP_E_EXCEPTION);
  } else {
    checks.equal(what + ": accepted", call.hr, S_OK);
    checks.equal(what + ": reaches the member as the system writes it",
                 element(call.result, 0) + L"." + element(call.result, 1), expected);
  }
  release(call);
}

void checkDatesAndCurrency(Checks& checks, IDispatch* downloader) {
  VARIANT currency;
  VariantInit(&currency);
  V_VT(&currency) = VT_CY;
  V_CY(&currency).int64 = 0x7FFFFFFFFFFFFFFF;
  checks.equal("the largest currency as text", systemText(currency),
               std::wstring(L"922337203685477.5807"));
  checkSystemText(checks, downloader, currency, "the largest currency");

  VARIANT date;
  VariantInit(&date);
  V_VT(&date) = VT_DATE;
  V_DATE(&date) = 37623.5;
  checkSystemText(checks, downloader, date, "a date");

  // A failed member hands nothing back into a date variable.
  Call call = invoke(downloader, kGetFileNameParts, DISPATCH_METHOD, {referenceTo(&date)});
  if (FAILED(call.hr)) {
    checks.equal("a date variable stays a date", V_VT(&date), VARTYPE{VT_DATE});
    checks.check("a date variable keeps its value",
                 V_VT(&date) == VT_DATE && V_DATE(&date) == 37623.5);
  }
  release(call);
  VariantClear(&date);
}

struct Refused {
  const char* label;
  IDispatch* object;
  DISPID id;
  VARIANT argument;
};

void checkRefused(Checks& checks, const Refused& r) {
  Call call = invoke(r.object, r.id, DISPATCH_METHOD, {r.argument});
  checks.equal(std::string(r.label) + ": a type mismatch", call.hr, DISP_E_TYPEMISMATCH);
  checks.equal(std::string(r.label) + ": the argument named", call.argumentError, 0u);
  release(call);
}

void checkDepth(Checks& checks, IDispatch* downloader, IDispatch* base) {
  VARIANT deep = nestedArray(L"x", 5000);
  VARIANT shallow = nestedArray(L"x", 10);
  VARIANT selfReference;
  V_VT(&selfReference) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&selfReference) = &selfReference;
  // Two elements that each name the array holding them: read naively, 2^depth values.
  VARIANT holder;
  VariantInit(&holder);
  SAFEARRAY* cycle = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  void* data = nullptr;
  SafeArrayAccessData(cycle, &data);
  static_cast<VARIANT*>(data)[0] = referenceTo(&holder);
  static_cast<VARIANT*>(data)[1] = referenceTo(&holder);
  SafeArrayUnaccessData(cycle);
  V_VT(&holder) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&holder) = cycle;

  const Refused refusals[] = {
      {"5000 nested arrays for a text", downloader, kGetFileNameParts, deep},
      {"5000 nested arrays by reference for a text", downloader, kGetFileNameParts,
       referenceTo(&deep)},
      {"10 nested arrays for a text", downloader, kGetFileNameParts, shallow},
      {"5000 nested arrays for any value", base, kGetRemoteFile, referenceTo(&deep)},
      {"a reference to itself for a text", downloader, kGetFileNameParts, selfReference},
      {"a reference to itself for any value", base, kGetRemoteFile, selfReference},
      {"an array whose elements name it", base, kGetRemoteFile, referenceTo(&holder)},
  };
  for (const auto& r : refusals)
    checkRefused(checks, r);

  // An array within the depth reaches a member that takes any value.
  Call call = invoke(base, kGetRemoteFile, DISPATCH_METHOD, {referenceTo(&shallow)});
  checks.check("10 nested arrays reach a member that takes any value",
               call.hr != DISP_E_TYPEMISMATCH);
  release(call);

  clearVariant(deep);
  clearVariant(shallow);
  SafeArrayDestroy(cycle);  // its elements are references: nothing else to free
}

}  // namespace

void checkArguments(Checks& checks) {
  IDispatch* downloader = createDispatch(kInetDownloaderClsid);
  IDispatch* base = createDispatch(kBaseClsid);
  checks.check("both classes are created for the argument checks", downloader && base);
  if (downloader && base) {
    checkDatesAndCurrency(checks, downloader);
    checkDepth(checks, downloader, base);
  }
  if (downloader)
    downloader->Release();
  if (base)
    base->Release();
}

}  // namespace hv::client
