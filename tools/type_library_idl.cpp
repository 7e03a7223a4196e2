#include "tools/type_library_idl.h"

#include <cstdio>
#include <stdexcept>

#include "control/library_classes.h"
#include "control/library_identity.h"

namespace hv {
namespace {

std::string bareGuid(const Guid& id) {
  const std::string braced = id.toString();
  return braced.substr(1, braced.size() - 2);
}

std::string hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", value);
  return buffer;
}

std::string version(int major, int minor) {
  return std::to_string(major) + "." + std::to_string(minor);
}

std::string idlType(VarType type) {
  switch (type) {
    case VarType::Integer:
      return "short";
    case VarType::Long:
      return "long";
    case VarType::Single:
      return "float";
    case VarType::Double:
      return "double";
    case VarType::String:
      return "BSTR";
    case VarType::Boolean:
      return "VARIANT_BOOL";
    case VarType::Variant:
      return "VARIANT";
    case VarType::Empty:
    case VarType::Array:
      break;
  }
  throw std::logic_error("no interface type for a parameter of type " +
                         std::string(varTypeName(type)));
}

std::string parameter(const ParamInfo& p) {
  return p.byRef ? "[in, out] " + idlType(p.type) + "* " + std::string(p.name)
                 : "[in] " + idlType(p.type) + " " + std::string(p.name);
}

std::string parameterList(const std::vector<ParamInfo>& params, VarType result) {
  std::string list;
  for (const auto& p : params)
    list += (list.empty() ? "" : ", ") + parameter(p);
  if (result != VarType::Empty)
    list +=
        (list.empty() ? "" : ", ") + std::string("[out, retval] ") + idlType(result) + "* result";
  return list;
}

std::string memberAttributes(const MemberInfo& m) {
  std::string attributes = "id(" + hex(static_cast<std::uint32_t>(m.id)) + ")";
  if (m.kind == MemberKind::PropertyGet)
    attributes += ", propget";
  if (m.kind == MemberKind::PropertyPut)
    attributes += ", propput";
  return attributes;
}

const MemberInfo& memberNamed(const ClassInfo& info, std::string_view name) {
  for (const auto& m : info.members) {
    if (m.name == name)
      return m;
  }
  throw std::logic_error("function table of " + std::string(info.name) + " names " +
                         std::string(name) + ", which is no member");
}

// The dual interface lists its members in function-table order: early-bound clients call them
// by position.
std::string dualInterface(const ClassInfo& info) {
  const auto& id = info.defaultInterface.current;
  std::string out = "    [\n      odl,\n      uuid(" + bareGuid(id.iid) + "),\n      version(" +
                    version(id.major, id.minor) +
                    "),\n      hidden,\n      dual,\n      nonextensible,\n      oleautomation\n"
                    "    ]\n    interface " +
                    std::string(id.name) + " : IDispatch\n    {\n";
  for (const auto& name : info.functionTableOrder) {
    const MemberInfo& m = memberNamed(info, name);
    out += "        [" + memberAttributes(m) + "] HRESULT " + std::string(m.name) + "(" +
           parameterList(m.params, m.result) + ");\n";
  }
  return out + "    };\n\n";
}

std::string aliases(const InterfaceInfo& dflt) {
  std::string out;
  for (const auto& e : dflt.earlier) {
    out += "    typedef [uuid(" + bareGuid(e.iid) + "), version(" + version(e.major, e.minor) +
           "), hidden, public] " + std::string(dflt.current.name) + " " + std::string(e.name) +
           ";\n\n";
  }
  return out;
}

std::string eventInterface(const ClassInfo& info) {
  const auto& id = info.eventInterface.current;
  // The IDL compiler takes no version on a dispatch-only interface; the class carries it.
  std::string out = "    [\n      uuid(" + bareGuid(id.iid) + "),\n      hidden\n" +
                    "    ]\n    dispinterface " + std::string(id.name) +
                    "\n    {\n        properties:\n        methods:\n";
  for (const auto& e : info.events) {
    out += "            [id(" + std::to_string(e.id) + ")] void " + std::string(e.name) + "(" +
           parameterList(e.params, VarType::Empty) + ");\n";
  }
  return out + "    };\n\n";
}

std::string coclass(const ClassInfo& info) {
  std::string out = "    [\n      uuid(" + bareGuid(info.clsid) + "),\n      version(" +
                    version(info.versionMajor, info.versionMinor) +
                    "),\n      control,\n      noncreatable\n    ]\n    coclass " +
                    std::string(info.name) + "\n    {\n        [default] interface " +
                    std::string(info.defaultInterface.current.name) + ";\n";
  if (info.objectSafety)
    out += "        interface IObjectSafety;\n";
  return out + "        [default, source] dispinterface " +
         std::string(info.eventInterface.current.name) + ";\n    };\n\n";
}

std::string classDefinitions(const ClassInfo& info) {
  return dualInterface(info) + aliases(info.defaultInterface) + eventInterface(info) +
         coclass(info);
}

}  // namespace

std::string typeLibraryIdl() {
  std::string out =
      "// Written from the library's member tables at build time.\n"
      "import \"oaidl.idl\";\nimport \"objsafe.idl\";\n\n"
      "[\n  uuid(" +
      bareGuid(library::kLibid) + "),\n  version(" +
      version(library::kVersionMajor, library::kVersionMinor) + "),\n  lcid(" +
      hex(library::kLocale) + "),\n  helpstring(\"" + std::string(library::kHelpString) +
      "\"),\n  control\n]\nlibrary " + std::string(library::kTypeLibraryName) +
      "\n{\n    importlib(\"stdole2.tlb\");\n\n";
  for (const ClassInfo* info : {&inetDownloaderClass(), &baseClass()})
    out += classDefinitions(*info);
  return out + "};\n";
}

}  // namespace hv
