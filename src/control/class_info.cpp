#include "control/class_info.h"

namespace hv {

bool InterfaceInfo::answers(const Guid& iid) const {
  if (current.iid == iid)
    return true;
  for (const auto& e : earlier) {
    if (e.iid == iid)
      return true;
  }
  return false;
}

const MemberInfo* ClassInfo::findMember(DispId id) const {
  for (const auto& m : members) {
    if (m.id == id)
      return &m;
  }
  return nullptr;
}

const MemberInfo* ClassInfo::findMember(DispId id, MemberKind kind) const {
  for (const auto& m : members) {
    if (m.id == id && m.kind == kind)
      return &m;
  }
  return nullptr;
}

const char* memberKindName(MemberKind kind) {
  switch (kind) {
    case MemberKind::Method:
      return "method";
    case MemberKind::PropertyGet:
      return "property, read only";
    case MemberKind::PropertyPut:
      return "property, write only";
  }
  return "?";
}

}  // namespace hv
