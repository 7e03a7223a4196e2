#include <objbase.h>
#include <oleauto.h>

#include <vector>

#include "client_calls.h"
#include "client_checks.h"
#include "hvdetector_interfaces.h"

namespace hv::client {
namespace {

constexpr const char* kBase = "{60246658-5626-449F-8701-66D278AD2EB2}";
constexpr const char* kInetDownloader = "{D4F50458-F1CC-4BC8-8A45-1A285926FE74}";
constexpr HRESULT kNotBuilt = static_cast<HRESULT>(0x80004001);

template <typename T>
T* create(const char* clsid, const char* iid) {
  T* object = nullptr;
  CoCreateInstance(guidOf(clsid), nullptr, CLSCTX_INPROC_SERVER, guidOf(iid),
                   reinterpret_cast<void**>(&object));
  return object;
}

struct NamedId {
  const wchar_t* name;
  DISPID id;
};

// The identifiers pages and early-bound clients were built against: they must never move.
void checkDispatchIds(Checks& checks, IDispatch* object, const std::vector<NamedId>& expected,
                      const std::string& className) {
  for (const auto& e : expected) {
    LPOLESTR name = const_cast<LPOLESTR>(e.name);
    DISPID id = DISPID_UNKNOWN;
    object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    checks.equal(className + "." + std::string(e.name, e.name + wcslen(e.name)) + " dispatch id",
                 static_cast<long>(id), static_cast<long>(e.id));
  }
  LPOLESTR unknown = const_cast<LPOLESTR>(L"NoSuchMember");
  DISPID id = 0;
  checks.equal(className + " refuses an unknown name",
               object->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &id),
               DISP_E_UNKNOWNNAME);
}

void checkByReference(Checks& checks, IDispatch* downloader) {
  constexpr DISPID kGetFileNameParts = 0x6003000A;
  // A script's variable holding a number, passed to a text parameter by reference, comes back
  // holding the text the member worked on.
  VARIANT variable;
  VariantInit(&variable);
  V_VT(&variable) = VT_R8;
  V_R8(&variable) = 42.5;
  Call call = invoke(downloader, kGetFileNameParts, DISPATCH_METHOD, {referenceTo(&variable)});
  checks.equal("a variable passed to a text parameter is accepted", call.hr, S_OK);
  checks.equal("the variable comes back as text", V_VT(&variable), VARTYPE{VT_BSTR});
  checks.equal("the variable holds the text",
               V_VT(&variable) == VT_BSTR ? bstrText(V_BSTR(&variable)) : std::wstring(),
               std::wstring(L"42.5"));
  VariantClear(&variable);
  release(call);

  // The member fails on the text "42" (it has no dot): the caller's number stays a number.
  VariantInit(&variable);
  V_VT(&variable) = VT_I4;
  V_I4(&variable) = 42;
  call = invoke(downloader, kGetFileNameParts, DISPATCH_METHOD, {referenceTo(&variable)});
  checks.equal("the member fails on a text without a dot", call.hr, DISP_E_EXCEPTION);
  checks.equal("a failed member leaves the variable's type", V_VT(&variable), VARTYPE{VT_I4});
  checks.equal("a failed member leaves the variable's value", V_I4(&variable), 42L);
  release(call);

  // A text variable passed by reference as the parameter's own type.
  BSTR name = SysAllocString(L"report.cvx");
  VARIANT byRefText;
  VariantInit(&byRefText);
  V_VT(&byRefText) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&byRefText) = &name;
  call = invoke(downloader, kGetFileNameParts, DISPATCH_METHOD, {byRefText});
  checks.check("a text passed by reference is accepted", call.hr != DISP_E_TYPEMISMATCH);
  checks.equal("the text passed by reference keeps its value", bstrText(name),
               std::wstring(L"report.cvx"));
  SysFreeString(name);
  release(call);

  // A typed variable of another type travels as a temporary copy.
  long count = 5;
  VARIANT byRefLong;
  VariantInit(&byRefLong);
  V_VT(&byRefLong) = VT_BYREF | VT_I4;
  V_I4REF(&byRefLong) = &count;
  call = invoke(downloader, kGetFileNameParts, DISPATCH_METHOD, {byRefLong});
  checks.check("a long passed by reference to a text parameter is accepted",
               call.hr != DISP_E_TYPEMISMATCH);
  checks.equal("the long keeps its value", count, 5L);
  release(call);
}

// A member's failure arrives as DISP_E_EXCEPTION with its number, source and description, and
// the same in the thread's error object.
void checkScriptError(Checks& checks, IDispatch* base) {
  constexpr DISPID kGetRemoteFile = 0x60030012;
  VARIANT url = textVariant(L"a/cd");
  Call call = invoke(base, kGetRemoteFile, DISPATCH_METHOD, {referenceTo(&url)});
  checks.equal("a failing member reports an exception", call.hr, DISP_E_EXCEPTION);
  const bool built = call.exception.scode != kNotBuilt;
  const HRESULT scode = built ? static_cast<HRESULT>(-200001) : kNotBuilt;
  const std::wstring source = built ? L"" : L"Base";
  const std::wstring description =
      built ? L"Malformed URL" : L"Base.getRemoteFile is not implemented yet";
  checks.equal("exception number", call.exception.scode, scode);
  checks.equal("exception source", bstrText(call.exception.bstrSource), source);
  checks.equal("exception description", bstrText(call.exception.bstrDescription), description);
  IErrorInfo* info = nullptr;
  checks.equal("the thread's error object is set", GetErrorInfo(0, &info), S_OK);
  if (info) {
    BSTR text = nullptr;
    info->GetDescription(&text);
    checks.equal("error object description", bstrText(text), description);
    SysFreeString(text);
    info->GetSource(&text);
    checks.equal("error object source", bstrText(text), source);
    SysFreeString(text);
    info->Release();
  }
  release(call);
  VariantClear(&url);

  _Base* dual = nullptr;
  base->QueryInterface(guidOf("{1715DE97-579C-46D9-8AF9-D4A0B934CD30}"),
                       reinterpret_cast<void**>(&dual));
  if (dual) {
    VARIANT argument = textVariant(L"a/cd");
    BSTR result = nullptr;
    checks.equal("the dual interface returns the error's number",
                 dual->getRemoteFile(&argument, &result), scode);
    SysFreeString(result);
    VariantClear(&argument);
    dual->Release();
  }
}

struct Refusal {
  const char* label;
  DISPID id;
  WORD flags;
  std::vector<VARIANT> args;
  HRESULT hr;
};

void checkRefusals(Checks& checks, IDispatch* base) {
  VARIANT object;
  VariantInit(&object);
  V_VT(&object) = VT_DISPATCH;
  V_DISPATCH(&object) = base;
  VARIANT null;
  VariantInit(&null);
  V_VT(&null) = VT_NULL;
  VARIANT flag;
  VariantInit(&flag);
  V_VT(&flag) = VT_BOOL;
  V_BOOL(&flag) = VARIANT_TRUE;
  const std::vector<Refusal> refusals = {
      {"an unknown dispatch id", 0x60030099, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND},
      {"reading DownloadLocation", 0x68030005, DISPATCH_PROPERTYGET, {}, DISP_E_MEMBERNOTFOUND},
      {"writing HasCvxMime", 0x68030003, DISPATCH_PROPERTYPUT, {flag}, DISP_E_MEMBERNOTFOUND},
      {"calling HasCvxMime as a method", 0x68030003, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND},
      {"LAUNCH without arguments", 0x60030010, DISPATCH_METHOD, {}, DISP_E_BADPARAMCOUNT},
      {"INSTALL with an argument", 0x60030013, DISPATCH_METHOD, {flag}, DISP_E_BADPARAMCOUNT},
      {"an object for LAUNCH's text", 0x60030010, DISPATCH_METHOD, {object}, DISP_E_TYPEMISMATCH},
      {"null for LAUNCH's text", 0x60030010, DISPATCH_METHOD, {null}, DISP_E_TYPEMISMATCH},
  };
  for (const auto& r : refusals) {
    Call call = invoke(base, r.id, r.flags, r.args);
    checks.equal(r.label, call.hr, r.hr);
    if (r.hr == DISP_E_TYPEMISMATCH)
      checks.equal(std::string(r.label) + ": the argument named", call.argumentError, 0u);
    release(call);
  }
}

// The dual interface is a second road to the same members: it answers as IDispatch does.
void checkDualMatchesDispatch(Checks& checks, IDispatch* base) {
  _Base* dual = nullptr;
  base->QueryInterface(guidOf("{1715DE97-579C-46D9-8AF9-D4A0B934CD30}"),
                       reinterpret_cast<void**>(&dual));
  checks.check("Base offers its dual interface", dual != nullptr);
  if (!dual)
    return;
  using Getter = HRESULT (STDMETHODCALLTYPE _Base::*)(VARIANT_BOOL*);
  const std::vector<std::pair<DISPID, Getter>> properties = {
      {0x68030003, &_Base::get_HasCvxMime},
      {0x68030002, &_Base::get_HasCvtMime},
      {0x68030001, &_Base::get_HasParticipantHalverine},
      {0x68030000, &_Base::get_HasSupervisorHV},
      {0x68030004, &_Base::get_HasIEAutoOpen},
  };
  for (const auto& [id, getter] : properties) {
    VARIANT_BOOL early = 1;
    const HRESULT earlyHr = (dual->*getter)(&early);
    Call late = invoke(base, id, DISPATCH_PROPERTYGET, {});
    const HRESULT lateHr = late.hr == DISP_E_EXCEPTION ? late.exception.scode : late.hr;
    checks.equal("property " + std::to_string(id) + ": same outcome both ways", earlyHr, lateHr);
    if (SUCCEEDED(earlyHr)) {
      checks.equal("property " + std::to_string(id) + ": same value both ways",
                   static_cast<short>(early), static_cast<short>(V_BOOL(&late.result)));
    }
    release(late);
  }
  dual->Release();
}

}  // namespace

void checkDispatch(Checks& checks) {
  IDispatch* base = create<IDispatch>(kBase, "{00020400-0000-0000-C000-000000000046}");
  IDispatch* downloader =
      create<IDispatch>(kInetDownloader, "{00020400-0000-0000-C000-000000000046}");
  checks.check("both classes answer for IDispatch", base && downloader);
  if (!base || !downloader)
    return;
  checkDispatchIds(checks, base,
                   {{L"DownloadLocation", 0x68030005},
                    {L"HasCvxMime", 0x68030003},
                    {L"HasCvtMime", 0x68030002},
                    {L"HasParticipantHalverine", 0x68030001},
                    {L"HasSupervisorHV", 0x68030000},
                    {L"HasIEAutoOpen", 0x68030004},
                    {L"LAUNCH", 0x60030010},
                    {L"LaunchInternal", 0x60030011},
                    {L"getRemoteFile", 0x60030012},
                    {L"INSTALL", 0x60030013},
                    {L"DownloadInternal", 0x60030015},
                    {L"download", 0x60030016}},
                   "Base");
  checkDispatchIds(checks, downloader,
                   {{L"RemoteFileToDownload", 0x68030001},
                    {L"fileType", 0x68030000},
                    {L"Download", 0x60030002},
                    {L"Cancel", 0x60030004},
                    {L"OpenFile", 0x60030005},
                    {L"ReadBinaryData", 0x60030006},
                    {L"ReadCharacterData", 0x60030007},
                    {L"getFileNameParts", 0x6003000A}},
                   "InetDownloader");
  checkByReference(checks, downloader);
  checkScriptError(checks, base);
  checkRefusals(checks, base);
  checkDualMatchesDispatch(checks, base);
  base->Release();
  downloader->Release();
}

}  // namespace hv::client
