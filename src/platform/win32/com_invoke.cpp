#include "platform/win32/com_invoke.h"

#include <new>
#include <vector>

#include "control/dispatch.h"
#include "control/dispatch_error.h"
#include "platform/win32/com_errors.h"
#include "platform/win32/variant_bridge.h"

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

// The caller's arguments, last first in DISPPARAMS, in declaration order.
std::vector<VARIANT*> argumentsInOrder(const DISPPARAMS& params) {
  std::vector<VARIANT*> ordered;
  for (UINT i = params.cArgs; i > 0; --i)
    ordered.push_back(&params.rgvarg[i - 1]);
  return ordered;
}

UINT dispParamsPosition(const DISPPARAMS& params, std::size_t index) {
  return params.cArgs - 1 - static_cast<UINT>(index);
}

HRESULT runMember(ControlObject& object, const MemberInfo& member,
                  const std::vector<VARIANT*>& callerArgs, std::vector<Variant>& args,
                  VARIANT* result, EXCEPINFO* exception, UINT* argumentError,
                  const DISPPARAMS& params) {
  Variant value;
  HRESULT hr = S_OK;
  try {
    value = invoke(object, member.id, member.kind, args);
  } catch (const ScriptError& error) {
    reportScriptError(error, exception);
    hr = DISP_E_EXCEPTION;
  } catch (const DispatchError& error) {
    if (error.argument() && argumentError)
      *argumentError = dispParamsPosition(params, *error.argument());
    return static_cast<HRESULT>(error.code());
  }
  // The dispatch layer hands by-reference parameters back also when the member failed.
  for (std::size_t i = 0; i < callerArgs.size(); ++i) {
    if (member.params[i].byRef)
      writeBack(args[i], *callerArgs[i]);
  }
  if (SUCCEEDED(hr) && result)
    hr = toComVariant(value, *result);
  return hr;
}

}  // namespace

HRESULT invokeControl(ControlObject& object, DISPID id, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept {
  try {
    static DISPPARAMS noArguments{};
    const DISPPARAMS& call = params ? *params : noArguments;
    if (call.cArgs > 0 && !call.rgvarg)
      return E_INVALIDARG;
    if (!namedArgumentsAllowed(call, flags))
      return DISP_E_NONAMEDARGS;
    if (result)
      VariantInit(result);

    const MemberInfo& member = callableMember(
        object.classInfo(), id, kindOfCall(object.classInfo(), id, flags), call.cArgs);
    const std::vector<VARIANT*> callerArgs = argumentsInOrder(call);
    std::vector<Variant> args;
    for (std::size_t i = 0; i < callerArgs.size(); ++i) {
      auto value = fromComVariant(*callerArgs[i]);
      if (!value) {
        if (argumentError)
          *argumentError = dispParamsPosition(call, i);
        return DISP_E_TYPEMISMATCH;
      }
      args.push_back(std::move(*value));
    }
    return runMember(object, member, callerArgs, args, result, exception, argumentError, call);
  } catch (const DispatchError& error) {
    return static_cast<HRESULT>(error.code());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace hv
