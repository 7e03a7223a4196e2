#include "com/com_invoke.h"

#include <iterator>
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

// By-reference parameters go back to the caller's variables, also when the member failed.
void writeBackAll(const MemberInfo& member, const std::vector<Variant>& args, const Caller& caller,
                  bool failed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (member.params[i].byRef)
      writeBack(args[i], caller.argument(i), failed);
  }
}

HRESULT runMember(ControlObject& object, const MemberInfo& member, std::vector<Variant>& args,
                  const Caller& caller) {
  Variant value;
  try {
    value = invoke(object, member.id, member.kind, args);
  } catch (const ScriptError&) {
    writeBackAll(member, args, caller, true);
    throw;
  } catch (const DispatchError& error) {
    if (error.argument())
      caller.nameArgument(*error.argument());
    throw;
  }
  writeBackAll(member, args, caller, false);
  return caller.result ? toComVariant(value, *caller.result) : S_OK;
}

// The call as both kinds of caller make it. A failure it answers itself carries no exception
// information; the library's exceptions leave it as they are.
HRESULT runCall(ControlObject& object, DISPID id, WORD flags, const Caller& caller) {
  if (caller.params.cArgs > 0 && !caller.params.rgvarg)
    return E_INVALIDARG;
  if (!namedArgumentsAllowed(caller.params, flags))
    return DISP_E_NONAMEDARGS;
  if (caller.result)
    VariantInit(caller.result);

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
}

}  // namespace

HRESULT invokeControl(ControlObject& object, DISPID id, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept {
  static DISPPARAMS noArguments{};
  const Caller caller{params ? *params : noArguments, result, argumentError};
  try {
    return failedWithoutErrorInfo(runCall(object, id, flags, caller));
  } catch (...) {
    // A caller that gave no EXCEPINFO still hears of a script error as DISP_E_EXCEPTION.
    EXCEPINFO unasked{};
    const HRESULT hr = hresultOfCurrentException(exception ? exception : &unasked);
    SysFreeString(unasked.bstrSource);
    SysFreeString(unasked.bstrDescription);
    return hr;
  }
}

HRESULT callControl(ControlObject& object, DISPID id, WORD flags,
                    std::initializer_list<VARIANT> args, VARIANT* result) noexcept {
  try {
    std::vector<VARIANT> reversed(std::rbegin(args), std::rend(args));
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()),
                      put ? 1u : 0u};
    return failedWithoutErrorInfo(runCall(object, id, flags, {params, result, nullptr}));
  } catch (...) {
    return hresultOfCurrentException();
  }
}

}  // namespace hv
