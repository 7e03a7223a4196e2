#include "control/dispatch.h"

#include <string>
#include <vector>

#include "control/dispatch_error.h"
#include "runtime/script_error.h"
#include "runtime/text_compare.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

std::string memberLabel(const ClassInfo& info, const MemberInfo& member) {
  return std::string(info.name) + "." + std::string(member.name);
}

const MemberInfo& findCallable(const ClassInfo& info, DispId id, MemberKind kind) {
  if (const MemberInfo* member = info.findMember(id, kind))
    return *member;
  if (const MemberInfo* other = info.findMember(id)) {
    throw DispatchError(kDispEMemberNotFound, memberLabel(info, *other) + " is a " +
                                                  memberKindName(other->kind) + " and cannot be " +
                                                  (kind == MemberKind::PropertyPut   ? "written"
                                                   : kind == MemberKind::PropertyGet ? "read"
                                                                                     : "called"));
  }
  throw DispatchError(
      kDispEMemberNotFound,
      std::string(info.name) + " has no member with dispatch id " + std::to_string(id));
}

Variant coerce(const Variant& value, const ParamInfo& param, unsigned index) {
  try {
    return value.convertedTo(param.type);
  } catch (const ScriptError& e) {
    const bool overflow = e.number() == runtime_error::kOverflow;
    throw DispatchError(overflow ? kDispEOverflow : kDispETypeMismatch,
                        "argument " + std::to_string(index + 1) + " (" + std::string(param.name) +
                            "): a " + varTypeName(value.type()) + " value cannot be passed as " +
                            varTypeName(param.type),
                        index);
  }
}

}  // namespace

DispId idOfName(const ClassInfo& info, TextView name) {
  for (const auto& member : info.members) {
    if (equalsIgnoringAsciiCase(member.name, name))
      return member.id;
  }
  throw DispatchError(kDispEUnknownName,
                      std::string(info.name) + " has no member named " + toUtf8(name));
}

const MemberInfo& callableMember(const ClassInfo& info, DispId id, MemberKind kind,
                                 std::size_t argumentCount) {
  const MemberInfo& member = findCallable(info, id, kind);
  if (argumentCount != member.params.size()) {
    throw DispatchError(kDispEBadParamCount, memberLabel(info, member) + " takes " +
                                                 std::to_string(member.params.size()) +
                                                 " argument(s), not " +
                                                 std::to_string(argumentCount));
  }
  return member;
}

Variant invoke(ControlObject& object, DispId id, MemberKind kind, std::span<Variant> args) {
  const MemberInfo& member = callableMember(object.classInfo(), id, kind, args.size());
  std::vector<Variant> coerced;
  coerced.reserve(args.size());
  for (unsigned i = 0; i < args.size(); ++i)
    coerced.push_back(coerce(args[i], member.params[i], i));

  // The member works on values of its declared types; by-reference parameters go back to the
  // caller's variables afterwards, also when the member fails, as they would had it aliased them.
  // A failed member never changes the type of a caller's variable, though: only a variable that
  // already held the declared type sees what the member did to it.
  const auto writeBack = [&](bool failed) {
    for (unsigned i = 0; i < args.size(); ++i) {
      if (member.params[i].byRef && (!failed || args[i].type() == coerced[i].type()))
        args[i] = std::move(coerced[i]);
    }
  };
  Variant result;
  try {
    result = object.invokeMember(member, coerced);
  } catch (...) {
    writeBack(true);
    throw;
  }
  writeBack(false);
  return result;
}

Variant invokeByName(ControlObject& object, TextView name, MemberKind kind,
                     std::span<Variant> args) {
  return invoke(object, idOfName(object.classInfo(), name), kind, args);
}

}  // namespace hv
