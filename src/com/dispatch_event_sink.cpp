#include "com/dispatch_event_sink.h"

#include <oleauto.h>

#include <vector>

#include "com/variant_bridge.h"
#include "runtime/script_error.h"

namespace hv {
namespace {

// Clears the VARIANTs the raise owns however it ends.
struct OwnedVariants {
  std::vector<VARIANT> values;
  explicit OwnedVariants(std::size_t count) : values(count) {
    for (auto& v : values)
      VariantInit(&v);
  }
  ~OwnedVariants() {
    for (auto& v : values)
      VariantClear(&v);
  }
};

Text takeBstr(BSTR& value) {
  Text text = value ? textOf(value, SysStringLen(value)) : Text();
  SysFreeString(value);
  value = nullptr;
  return text;
}

std::int32_t numberOf(HRESULT scode) {
  if (HRESULT_FACILITY(scode) == FACILITY_CONTROL && (scode & 0x80000000))
    return HRESULT_CODE(scode);
  return static_cast<std::int32_t>(scode);
}

ScriptError handlerFailure(HRESULT hr, EXCEPINFO& exception) {
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn)
      exception.pfnDeferredFillIn(&exception);
    const HRESULT scode = exception.scode ? exception.scode : hr;
    Text source = takeBstr(exception.bstrSource);
    Text description = takeBstr(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return ScriptError(numberOf(scode), std::move(source), std::move(description));
  }
  return ScriptError(numberOf(hr), Text(), standardErrorText(numberOf(hr)));
}

}  // namespace

DispatchEventSink::DispatchEventSink(IDispatch* sink) : sink_(sink) {
  sink_->AddRef();
}

DispatchEventSink::~DispatchEventSink() {
  sink_->Release();
}

void DispatchEventSink::onEvent(DispId id, std::span<Variant> args) {
  // Each parameter lives in a VARIANT the handler reaches by reference; DISPPARAMS lists the
  // last parameter first.
  OwnedVariants storage(args.size());
  std::vector<VARIANT> references(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    const HRESULT hr = toComVariant(args[i], storage.values[i]);
    if (FAILED(hr))
      throw ScriptError(numberOf(hr), Text(), standardErrorText(numberOf(hr)));
    VARIANT& ref = references[args.size() - 1 - i];
    VariantInit(&ref);
    V_VT(&ref) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&ref) = &storage.values[i];
  }
  DISPPARAMS params{references.data(), nullptr, static_cast<UINT>(args.size()), 0};
  EXCEPINFO exception{};
  UINT argumentError = 0;
  const HRESULT hr = sink_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                   nullptr, &exception, &argumentError);
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (auto value = fromComVariant(storage.values[i]))
      args[i] = std::move(*value);
  }
  if (FAILED(hr))
    throw handlerFailure(hr, exception);
}

}  // namespace hv
