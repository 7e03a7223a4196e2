// Every member of both classes called every wrong way, with every value a hostile page or client
// can hand over: each call returns, none takes the host down, and the thread's error object
// describes the failure at hand or nothing.
#include <objbase.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

#include "client_calls.h"
#include "client_checks.h"
#include "control/library_classes.h"

namespace hv::client {
namespace {

IDispatch* create(const ClassInfo& info) {
  const std::string clsid = info.clsid.toString();
  return createDispatch(clsid.c_str());
}

// The values a call is made with. Each is owned here and handed over by value, as callers do.
class HostileValues {
 public:
  explicit HostileValues(IDispatch* object) {
    add(VT_EMPTY);
    add(VT_NULL);
    VARIANT& missing = add(VT_ERROR);
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    VARIANT& self = add(VT_DISPATCH);
    V_DISPATCH(&self) = object;  // not owned: never cleared
    selfIndex_ = values_.size() - 1;
    const std::wstring huge(1'000'000, L'x');
    V_BSTR(&add(VT_BSTR)) = SysAllocStringLen(huge.data(), static_cast<UINT>(huge.size()));
    V_BSTR(&add(VT_BSTR)) = SysAllocStringLen(L"a\0b.cvx", 7);
    V_BSTR(&add(VT_BSTR)) = SysAllocString(L"\xD800x.\xDC00");
    V_DATE(&add(VT_DATE)) = 37623.5;
    V_CY(&add(VT_CY)).int64 = 0x7FFFFFFFFFFFFFFF;
    V_R8(&add(VT_R8)) = 1e308;
    V_I4(&add(VT_I4)) = -2147483647 - 1;
    values_.push_back(nestedArray(L"x", 5000));
    values_.push_back(selfReference());
    VARIANT& dangling = add(VT_BYREF | VT_VARIANT);
    V_VARIANTREF(&dangling) = nullptr;
  }
  ~HostileValues() {
    for (std::size_t i = 0; i < values_.size(); ++i) {
      if (i != selfIndex_)
        clearVariant(values_[i]);
    }
  }
  HostileValues(const HostileValues&) = delete;
  HostileValues& operator=(const HostileValues&) = delete;

  const std::vector<VARIANT>& all() const { return values_; }

 private:
  VARIANT& add(VARTYPE type) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = type;
    values_.push_back(v);
    return values_.back();
  }
  // A by-reference VARIANT that names itself: heap-held so that moving the list keeps it valid.
  VARIANT selfReference() {
    selfCycle_ = std::make_unique<VARIANT>();
    V_VT(selfCycle_.get()) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(selfCycle_.get()) = selfCycle_.get();
    return *selfCycle_;
  }

  std::vector<VARIANT> values_;
  std::unique_ptr<VARIANT> selfCycle_;
  std::size_t selfIndex_ = 0;
};

constexpr WORD kFlags[] = {DISPATCH_METHOD, DISPATCH_PROPERTYGET,
                           DISPATCH_METHOD | DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT,
                           DISPATCH_PROPERTYPUTREF};

// Takes the thread's error object away: whether there was one.
bool takeErrorObject() {
  IErrorInfo* info = nullptr;
  const bool set = GetErrorInfo(0, &info) == S_OK;
  if (info)
    info->Release();
  return set;
}

struct Outcome {
  bool errorObjectStale = false;
  bool exceptionUndescribed = false;
};

// One call; afterwards the thread's error object must match what the call reported.
void callOnce(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args,
              Outcome& outcome) {
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{args.data(), put && !args.empty() ? &named : nullptr,
                    static_cast<UINT>(args.size()), put && !args.empty() ? 1u : 0u};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT argumentError = 0;
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result,
                                    &exception, &argumentError);
  const bool described = takeErrorObject();
  if (FAILED(hr) && hr != DISP_E_EXCEPTION && described)
    outcome.errorObjectStale = true;
  if (hr == DISP_E_EXCEPTION && (!exception.bstrDescription || !described))
    outcome.exceptionUndescribed = true;
  VariantClear(&result);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
}

// Seeds the thread's error object with an earlier failure, so a later failure that leaves it
// in place shows.
void failWithDescription(IDispatch* object, const ClassInfo& info) {
  const MemberInfo* member = nullptr;
  for (const auto& m : info.members) {
    if (m.name == "getFileNameParts" || m.name == "getRemoteFile")
      member = &m;
  }
  if (!member)
    return;
  VARIANT value = textVariant(L"a/cd");
  VARIANT ref = referenceTo(&value);
  DISPPARAMS params{&ref, nullptr, 1, 0};
  EXCEPINFO exception{};
  object->Invoke(member->id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                 &exception, nullptr);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  VariantClear(&value);
}

void checkMembers(Checks& checks, const ClassInfo& info) {
  IDispatch* object = create(info);
  checks.check(std::string(info.name) + " is created", object != nullptr);
  if (!object)
    return;
  const HostileValues values(object);
  std::vector<DISPID> ids{DISPID_UNKNOWN, 0, 0x7FFFFFFF};
  for (const auto& member : info.members)
    ids.push_back(member.id);
  for (const DISPID id : ids) {
    std::size_t most = 1;
    for (const auto& member : info.members) {
      if (member.id == id)
        most = member.params.size() + 1;
    }
    Outcome outcome;
    int calls = 0;
    for (const WORD flags : kFlags) {
      for (std::size_t count = 0; count <= most; ++count) {
        for (const VARIANT& value : values.all()) {
          failWithDescription(object, info);
          callOnce(object, id, flags, std::vector<VARIANT>(count, value), outcome);
          ++calls;
          if (count == 0)
            break;  // without arguments the value makes no difference
        }
      }
    }
    const std::string label = std::string(info.name) + " dispatch id " + std::to_string(id);
    checks.check(label + ": " + std::to_string(calls) + " hostile calls each return", calls > 0);
    checks.check(label + ": no failure leaves an earlier error description",
                 !outcome.errorObjectStale);
    checks.check(label + ": every exception is described", !outcome.exceptionUndescribed);
  }
  object->Release();
}

// Named arguments as a careless or hostile client sends them: more names than arguments, names
// without their array, the put's name on a call that is not a put, members' own parameter
// numbers. Only a put's new value may be named; everything else is refused, never acted on.
struct NamedShape {
  const char* label;
  WORD flags;
  UINT arguments;
  std::vector<DISPID> names;
  bool withoutNameArray = false;
};

void checkNamedArguments(Checks& checks, const ClassInfo& info) {
  IDispatch* object = create(info);
  if (!object)
    return;
  const NamedShape shapes[] = {
      {"a method's first parameter by name", DISPATCH_METHOD, 1, {0}},
      {"two parameters named in reverse", DISPATCH_METHOD, 2, {1, 0}},
      {"a name that is no parameter", DISPATCH_METHOD, 1, {12345}},
      {"more names than arguments", DISPATCH_PROPERTYPUT, 1, {DISPID_PROPERTYPUT, 0}},
      {"the put's name without a value", DISPATCH_PROPERTYPUT, 0, {DISPID_PROPERTYPUT}},
      {"the put's name on a method call", DISPATCH_METHOD, 1, {DISPID_PROPERTYPUT}},
      {"a count of names without their array", DISPATCH_METHOD, 1, {0}, true},
  };
  for (const auto& member : info.members) {
    for (const auto& shape : shapes) {
      std::vector<VARIANT> args(shape.arguments, textVariant(L"x"));
      std::vector<DISPID> names = shape.names;
      DISPPARAMS params{args.data(), shape.withoutNameArray ? nullptr : names.data(),
                        shape.arguments, static_cast<UINT>(names.size())};
      VARIANT result;
      VariantInit(&result);
      EXCEPINFO exception{};
      UINT argumentError = 0;
      const HRESULT hr = object->Invoke(member.id, IID_NULL, LOCALE_USER_DEFAULT, shape.flags,
                                        &params, &result, &exception, &argumentError);
      checks.check(std::string(info.name) + "." + std::string(member.name) + ", " + shape.label +
                       ": refused",
                   FAILED(hr));
      takeErrorObject();
      VariantClear(&result);
      for (auto& arg : args)
        VariantClear(&arg);
      SysFreeString(exception.bstrSource);
      SysFreeString(exception.bstrDescription);
      SysFreeString(exception.bstrHelpFile);
    }
  }
  object->Release();
}

void checkNames(Checks& checks, const ClassInfo& info) {
  IDispatch* object = create(info);
  if (!object)
    return;
  const std::wstring huge(100'000, L'A');
  std::vector<LPOLESTR> names{nullptr, const_cast<LPOLESTR>(L""),
                              const_cast<LPOLESTR>(huge.c_str()), const_cast<LPOLESTR>(L"\xD800"),
                              const_cast<LPOLESTR>(L"NoSuchMember")};
  for (LPOLESTR name : names) {
    failWithDescription(object, info);
    DISPID id = 0;
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    checks.check(std::string(info.name) + ": the refused name leaves no earlier description",
                 !takeErrorObject());
    checks.equal(std::string(info.name) + ": an unknown or broken name is refused", hr,
                 DISP_E_UNKNOWNNAME);
  }
  failWithDescription(object, info);
  DISPID id = 0;
  checks.equal(std::string(info.name) + ": no names array",
               object->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id), E_POINTER);
  checks.check(std::string(info.name) + ": no names array leaves no earlier description",
               !takeErrorObject());
  object->Release();
}

}  // namespace

void checkHostileCalls(Checks& checks) {
  for (const ClassInfo* info : {&inetDownloaderClass(), &baseClass()}) {
    checkMembers(checks, *info);
    checkNamedArguments(checks, *info);
    checkNames(checks, *info);
  }
}

}  // namespace hv::client
