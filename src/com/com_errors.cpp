#include "com/com_errors.h"

#include <oleauto.h>

#include "com/variant_bridge.h"

namespace hv {
namespace {

constexpr std::int32_t kLargestRuntimeErrorNumber = 0xFFFF;

void setThreadErrorObject(const ScriptError& error) {
  ICreateErrorInfo* create = nullptr;
  if (FAILED(CreateErrorInfo(&create))) {
    SetErrorInfo(0, nullptr);  // better no description than an earlier failure's
    return;
  }
  BSTR source = allocBstr(error.source());
  BSTR description = allocBstr(error.description());
  create->SetSource(source);
  create->SetDescription(description);
  SysFreeString(source);
  SysFreeString(description);
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
    SetErrorInfo(0, info);
    info->Release();
  } else {
    SetErrorInfo(0, nullptr);
  }
  create->Release();
}

}  // namespace

HRESULT scodeOf(const ScriptError& error) {
  const std::int32_t number = error.number();
  if (number > 0 && number <= kLargestRuntimeErrorNumber)
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
  return static_cast<HRESULT>(number);
}

HRESULT failedWithoutErrorInfo(HRESULT hr) {
  if (FAILED(hr))
    SetErrorInfo(0, nullptr);
  return hr;
}

void reportScriptError(const ScriptError& error, EXCEPINFO* exception) {
  if (exception) {
    *exception = EXCEPINFO{};
    exception->bstrSource = allocBstr(error.source());
    exception->bstrDescription = allocBstr(error.description());
    exception->scode = scodeOf(error);
  }
  setThreadErrorObject(error);
}

}  // namespace hv
