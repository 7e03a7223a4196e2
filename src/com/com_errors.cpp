#include "com/com_errors.h"

#include <oleauto.h>

#include <new>

#include "com/variant_bridge.h"
#include "control/dispatch_error.h"

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

HRESULT scodeOf(const ScriptError& error) {
  const std::int32_t number = error.number();
  if (number > 0 && number <= kLargestRuntimeErrorNumber)
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
  return static_cast<HRESULT>(number);
}

HRESULT reportScriptError(const ScriptError& error, EXCEPINFO* exception) {
  setThreadErrorObject(error);
  if (!exception)
    return scodeOf(error);
  *exception = EXCEPINFO{};
  exception->bstrSource = allocBstr(error.source());
  exception->bstrDescription = allocBstr(error.description());
  exception->scode = scodeOf(error);
  return DISP_E_EXCEPTION;
}

}  // namespace

HRESULT failedWithoutErrorInfo(HRESULT hr) {
  if (FAILED(hr))
    SetErrorInfo(0, nullptr);
  return hr;
}

HRESULT hresultOfCurrentException(EXCEPINFO* exception) noexcept {
  try {
    throw;
  } catch (const ScriptError& error) {
    return reportScriptError(error, exception);
  } catch (const DispatchError& error) {
    return failedWithoutErrorInfo(static_cast<HRESULT>(error.code()));
  } catch (const std::bad_alloc&) {
    return failedWithoutErrorInfo(E_OUTOFMEMORY);
  } catch (...) {
    return failedWithoutErrorInfo(E_UNEXPECTED);
  }
}

}  // namespace hv
