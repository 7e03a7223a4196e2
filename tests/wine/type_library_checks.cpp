// The type library the module registered, read back through oleaut32 and compared with the
// member tables the library dispatches by.
#include <objbase.h>
#include <oleauto.h>

#include "client_checks.h"
#include "control/com_interfaces.h"
#include "control/library_classes.h"
#include "control/library_identity.h"

namespace hv::client {
namespace {

std::string narrow(BSTR value) {
  const std::wstring wide = bstrText(value);
  return std::string(wide.begin(), wide.end());
}

std::string nameOf(ITypeInfo* info, MEMBERID id) {
  BSTR name = nullptr;
  info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
  std::string text = narrow(name);
  SysFreeString(name);
  return text;
}

VARTYPE vtOf(VarType type) {
  switch (type) {
    case VarType::Integer:
      return VT_I2;
    case VarType::Long:
      return VT_I4;
    case VarType::Single:
      return VT_R4;
    case VarType::Double:
      return VT_R8;
    case VarType::String:
      return VT_BSTR;
    case VarType::Boolean:
      return VT_BOOL;
    default:
      return VT_VARIANT;
  }
}

// The parameter's type: by reference is a pointer to the value's type.
void checkParameter(Checks& checks, const std::string& label, const ELEMDESC& element, VarType type,
                    bool byRef) {
  const TYPEDESC* desc = &element.tdesc;
  checks.equal(label + " by reference", desc->vt == VT_PTR, byRef);
  if (desc->vt == VT_PTR)
    desc = desc->lptdesc;
  checks.equal(label + " type", desc->vt, vtOf(type));
  const USHORT flags = element.paramdesc.wParamFlags;
  checks.equal(label + " in-out", (flags & PARAMFLAG_FOUT) != 0, byRef);
}

INVOKEKIND invokeKindOf(MemberKind kind) {
  switch (kind) {
    case MemberKind::PropertyGet:
      return INVOKE_PROPERTYGET;
    case MemberKind::PropertyPut:
      return INVOKE_PROPERTYPUT;
    case MemberKind::Method:
      break;
  }
  return INVOKE_FUNC;
}

const MemberInfo* memberNamed(const ClassInfo& info, std::string_view name) {
  for (const auto& m : info.members) {
    if (m.name == name)
      return &m;
  }
  return nullptr;
}

// The early-bound interface: every member in function-table order, with its dispatch id.
void checkDualInterface(Checks& checks, ITypeInfo* dual, const ClassInfo& info) {
  TYPEATTR* attr = nullptr;
  if (FAILED(dual->GetTypeAttr(&attr))) {
    checks.check(std::string(info.name) + " dual interface readable", false);
    return;
  }
  const std::string label(info.defaultInterface.current.name);
  checks.equal(label + " is an interface", attr->typekind, TKIND_INTERFACE);
  const WORD wanted =
      TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
  checks.equal(label + " flags", static_cast<WORD>(attr->wTypeFlags & wanted), wanted);
  checks.equal(label + " version",
               std::to_string(attr->wMajorVerNum) + "." + std::to_string(attr->wMinorVerNum),
               std::to_string(info.defaultInterface.current.major) + "." +
                   std::to_string(info.defaultInterface.current.minor));
  checks.equal(label + " member count", static_cast<std::size_t>(attr->cFuncs),
               info.functionTableOrder.size());
  for (UINT i = 0; i < attr->cFuncs && i < info.functionTableOrder.size(); ++i) {
    FUNCDESC* func = nullptr;
    if (FAILED(dual->GetFuncDesc(i, &func)))
      continue;
    const MemberInfo* member = memberNamed(info, info.functionTableOrder[i]);
    const std::string name = nameOf(dual, func->memid);
    checks.equal(label + " entry " + std::to_string(i), name,
                 std::string(info.functionTableOrder[i]));
    if (member) {
      const std::string m = label + "." + name;
      checks.equal(m + " dispatch id", static_cast<long>(func->memid),
                   static_cast<long>(member->id));
      checks.equal(m + " kind", func->invkind, invokeKindOf(member->kind));
      const bool hasResult = member->result != VarType::Empty;
      checks.equal(m + " parameter count", static_cast<std::size_t>(func->cParams),
                   member->params.size() + (hasResult ? 1 : 0));
      for (std::size_t p = 0; p < member->params.size() && p < UINT(func->cParams); ++p) {
        checkParameter(checks, m + " parameter " + std::string(member->params[p].name),
                       func->lprgelemdescParam[p], member->params[p].type, member->params[p].byRef);
      }
      if (hasResult && static_cast<std::size_t>(func->cParams) == member->params.size() + 1) {
        const ELEMDESC& result = func->lprgelemdescParam[member->params.size()];
        checks.check(m + " result is the return value",
                     (result.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) != 0);
        checks.equal(m + " result type", result.tdesc.lptdesc->vt, vtOf(member->result));
      }
    }
    dual->ReleaseFuncDesc(func);
  }
  dual->ReleaseTypeAttr(attr);
}

void checkEvents(Checks& checks, ITypeLib* library, const ClassInfo& info) {
  ITypeInfo* events = nullptr;
  const std::string label(info.eventInterface.current.name);
  library->GetTypeInfoOfGuid(toGuid(info.eventInterface.current.iid), &events);
  checks.check(label + " is in the library", events != nullptr);
  if (!events)
    return;
  TYPEATTR* attr = nullptr;
  events->GetTypeAttr(&attr);
  checks.equal(label + " is dispatch-only", attr->typekind, TKIND_DISPATCH);
  checks.check(label + " is hidden", (attr->wTypeFlags & TYPEFLAG_FHIDDEN) != 0);
  checks.equal(label + " event count", static_cast<std::size_t>(attr->cFuncs), info.events.size());
  for (UINT i = 0; i < attr->cFuncs && i < info.events.size(); ++i) {
    FUNCDESC* func = nullptr;
    events->GetFuncDesc(i, &func);
    const EventInfo& event = info.events[i];
    checks.equal(label + " event " + std::string(event.name) + " id",
                 static_cast<long>(func->memid), static_cast<long>(event.id));
    checks.equal(label + " event name", nameOf(events, func->memid), std::string(event.name));
    checks.equal(label + " event parameter count", static_cast<std::size_t>(func->cParams),
                 event.params.size());
    for (std::size_t p = 0; p < event.params.size() && p < UINT(func->cParams); ++p) {
      checkParameter(
          checks,
          label + "." + std::string(event.name) + " parameter " + std::string(event.params[p].name),
          func->lprgelemdescParam[p], event.params[p].type, event.params[p].byRef);
    }
    events->ReleaseFuncDesc(func);
  }
  events->ReleaseTypeAttr(attr);
  events->Release();
}

void checkAliases(Checks& checks, ITypeLib* library, const ClassInfo& info) {
  for (const auto& earlier : info.defaultInterface.earlier) {
    ITypeInfo* alias = nullptr;
    library->GetTypeInfoOfGuid(toGuid(earlier.iid), &alias);
    const std::string label = "alias " + std::string(earlier.name);
    checks.check(label + " is in the library", alias != nullptr);
    if (!alias)
      continue;
    TYPEATTR* attr = nullptr;
    alias->GetTypeAttr(&attr);
    checks.equal(label + " kind", attr->typekind, TKIND_ALIAS);
    checks.equal(label + " name", nameOf(alias, MEMBERID_NIL), std::string(earlier.name));
    checks.check(label + " is hidden", (attr->wTypeFlags & TYPEFLAG_FHIDDEN) != 0);
    checks.equal(label + " version",
                 std::to_string(attr->wMajorVerNum) + "." + std::to_string(attr->wMinorVerNum),
                 std::to_string(earlier.major) + "." + std::to_string(earlier.minor));
    ITypeInfo* target = nullptr;
    if (attr->tdescAlias.vt == VT_USERDEFINED)
      alias->GetRefTypeInfo(attr->tdescAlias.hreftype, &target);
    checks.equal(label + " stands for", target ? nameOf(target, MEMBERID_NIL) : std::string(),
                 std::string(info.defaultInterface.current.name));
    if (target)
      target->Release();
    alias->ReleaseTypeAttr(attr);
    alias->Release();
  }
}

void checkClass(Checks& checks, ITypeLib* library, const ClassInfo& info) {
  const std::string label(info.name);
  ITypeInfo* coclass = nullptr;
  library->GetTypeInfoOfGuid(toGuid(info.clsid), &coclass);
  checks.check(label + " class is in the library", coclass != nullptr);
  if (!coclass)
    return;
  TYPEATTR* attr = nullptr;
  coclass->GetTypeAttr(&attr);
  checks.equal(label + " name", nameOf(coclass, MEMBERID_NIL), label);
  checks.check(label + " is a control", (attr->wTypeFlags & TYPEFLAG_FCONTROL) != 0);
  checks.check(label + " is not creatable", (attr->wTypeFlags & TYPEFLAG_FCANCREATE) == 0);
  checks.equal(label + " version",
               std::to_string(attr->wMajorVerNum) + "." + std::to_string(attr->wMinorVerNum),
               std::to_string(info.versionMajor) + "." + std::to_string(info.versionMinor));
  checks.equal(label + " interfaces", static_cast<int>(attr->cImplTypes),
               info.objectSafety ? 3 : 2);
  for (UINT i = 0; i < attr->cImplTypes; ++i) {
    HREFTYPE ref = 0;
    INT flags = 0;
    ITypeInfo* implemented = nullptr;
    coclass->GetRefTypeOfImplType(i, &ref);
    coclass->GetImplTypeFlags(i, &flags);
    if (FAILED(coclass->GetRefTypeInfo(ref, &implemented))) {
      checks.check(label + " interface " + std::to_string(i) + " resolves", false);
      continue;
    }
    const std::string name = nameOf(implemented, MEMBERID_NIL);
    if (flags == (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) {
      checks.equal(label + " default source", name, std::string(info.eventInterface.current.name));
    } else if (flags == IMPLTYPEFLAG_FDEFAULT) {
      checks.equal(label + " default interface", name,
                   std::string(info.defaultInterface.current.name));
      HREFTYPE vtable = 0;
      ITypeInfo* dual = nullptr;
      if (SUCCEEDED(implemented->GetRefTypeOfImplType(-1, &vtable)) &&
          SUCCEEDED(implemented->GetRefTypeInfo(vtable, &dual))) {
        checkDualInterface(checks, dual, info);
        dual->Release();
      } else {
        checkDualInterface(checks, implemented, info);
      }
    } else {
      checks.equal(label + " further interface", name, std::string("IObjectSafety"));
      TYPEATTR* safety = nullptr;
      if (SUCCEEDED(implemented->GetTypeAttr(&safety))) {
        checks.equal("IObjectSafety under its published identifier", fromGuid(safety->guid),
                     iid::kIObjectSafety);
        implemented->ReleaseTypeAttr(safety);
      }
    }
    implemented->Release();
  }
  coclass->ReleaseTypeAttr(attr);
  coclass->Release();
  checkEvents(checks, library, info);
  checkAliases(checks, library, info);
}

}  // namespace

void checkTypeLibrary(Checks& checks) {
  ITypeLib* library = nullptr;
  checks.equal("the type library is registered",
               LoadRegTypeLib(toGuid(library::kLibid), 3, 2, 0, &library), S_OK);
  if (!library)
    return;
  TLIBATTR* attr = nullptr;
  library->GetLibAttr(&attr);
  checks.equal("library locale", attr->lcid, LCID{0x409});
  checks.equal("library version",
               std::to_string(attr->wMajorVerNum) + "." + std::to_string(attr->wMinorVerNum),
               std::string("3.2"));
  checks.check("a control library", (attr->wLibFlags & LIBFLAG_FCONTROL) != 0);
  library->ReleaseTLibAttr(attr);
  BSTR name = nullptr;
  BSTR help = nullptr;
  library->GetDocumentation(-1, &name, &help, nullptr, nullptr);
  checks.equal("library name", narrow(name), std::string(library::kTypeLibraryName));
  checks.equal("library help string", narrow(help), std::string(library::kHelpString));
  SysFreeString(name);
  SysFreeString(help);
  for (const ClassInfo* info : {&inetDownloaderClass(), &baseClass()})
    checkClass(checks, library, *info);
  library->Release();
}

}  // namespace hv::client
