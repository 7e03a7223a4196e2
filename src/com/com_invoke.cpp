#include "com/com_invoke.h"

#include <new>
#include <vector>

#include "com/com_errors.h"
#include "com/variant_bridge.h"
#include "control/dispatch.h"
#include "control/dispatch_error.h"

namespace hv {
namespace {

bool isPut(WORD flags) {
  return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
}

// Script hosts ask for "get or call" when a name stands as a value; the member's own kind
// decides which it is.
MemberKind kindOfCall(const ClassInfo& info, DISPID id, WORD flags) {
  if (isPut(flags))
    return MemberKind::PropertyPut;
  const MemberInfo* member = info.findMember(id);
  if (member && member->kind == MemberKind::PropertyGet && (flags & DISPATCH_PROPERTYGET))
    return MemberKind::PropertyGet;
  if (member && member->kind == MemberKind::Method && (flags & DISPATCH_METHOD))
    return MemberKind::Method;
  return (flags & DISPATCH_METHOD) ? MemberKind::Method : MemberKind::PropertyGet;
}

// The one named argument a call may carry is the new value of a property assignment.
bool namedArgumentsAllowed(const DISPPARAMS& params, WORD flags) {
  if (params.cNamedArgs == 0)
    return true;
  return isPut(flags) && params.cNamedArgs == 1 && params.rgdispidNamedArgs &&
         params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
}

// What the caller handed over: its arguments, last first in DISPPARAMS, and where the outcome goes.
struct Caller {
  const DISPPARAMS& params;
  VARIANT* result;
  EXCEPINFO* exception;
  UINT* argumentError;

  std::size_t argumentCount() const { return params.cArgs; }
  // The caller's variable for the parameter at `index`, in declaration order.
  VARIANT& argument(std::size_t index) const {
    return params.rgvarg[params.cArgs - 1 - static_cast<UINT>(index)];
  }
  void nameArgument(std::size_t index) const {
    if (argumentError)
      *argumentError = params.cArgs - 1 - static_cast<UINT>(index);
  }
};

HRESULT runMember(ControlObject& object, const MemberInfo& member, std::vector<Variant>& args,
                  const Caller& caller) {
  Variant value;
  HRESULT hr = S_OK;
  try {
    value = invoke(object, member.id, member.kind, args);
  } catch (const ScriptError& error) {
    reportScriptError(error, caller.exception);
    hr = DISP_E_EXCEPTION;
  } catch (const DispatchError& error) {
    if (error.argument())
      caller.nameArgument(*error.argument());
    return static_cast<HRESULT>(error.code());
  }
  // The dispatch layer hands by-reference parameters back also when the member failed.
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (member.params[i].byRef)
      writeBack(args[i], caller.argument(i), FAILED(hr));
  }
  if (SUCCEEDED(hr) && caller.result)
    hr = toComVariant(value, *caller.result);
  return hr;
}

HRESULT invokeGuarded(ControlObject& object, DISPID id, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept {
  try {
    static DISPPARAMS noArguments{};
    const Caller caller{params ? *params : noArguments, result, exception, argumentError};
    if (caller.params.cArgs > 0 && !caller.params.rgvarg)
      return E_INVALIDARG;
    if (!namedArgumentsAllowed(caller.params, flags))
      return DISP_E_NONAMEDARGS;
    if (result)
      VariantInit(result);

    const MemberInfo& member = callableMember(
        object.classInfo(), id, kindOfCall(object.classInfo(), id, flags), caller.argumentCount());
    std::vector<Variant> args;
    for (std::size_t i = 0; i < caller.argumentCount(); ++i) {
      auto value = fromComVariant(caller.argument(i), member.params[i].type);
      if (!value) {
        caller.nameArgument(i);
        return DISP_E_TYPEMISMATCH;
      }
      args.push_back(std::move(*value));
    }
    return runMember(object, member, args, caller);
  } catch (const DispatchError& error) {
    return static_cast<HRESULT>(error.code());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace

HRESULT invokeControl(ControlObject& object, DISPID id, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept {
  const HRESULT hr = invokeGuarded(object, id, flags, params, result, exception, argumentError);
  // A script error has just described itself in the thread's error object; any other failure
  // must not leave an earlier one there.
  return hr == DISP_E_EXCEPTION ? hr : failedWithoutErrorInfo(hr);
}

}  // namespace hv
