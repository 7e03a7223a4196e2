#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "control/guid.h"
#include "runtime/variant.h"

namespace hv {

using DispId = std::int32_t;

enum class MemberKind { Method, PropertyGet, PropertyPut };

struct ParamInfo {
  std::string_view name;
  VarType type;
  bool byRef;
};

struct MemberInfo {
  DispId id;
  std::string_view name;
  MemberKind kind;
  std::vector<ParamInfo> params;
  VarType result;  // Empty: the member returns nothing
};

struct EventInfo {
  DispId id;
  std::string_view name;
  std::vector<ParamInfo> params;
};

struct InterfaceVersion {
  std::string_view name;
  Guid iid;
  int major;
  int minor;
};

struct InterfaceInfo {
  InterfaceVersion current;
  // Identifiers the interface had in earlier releases; callers still ask for them.
  std::vector<InterfaceVersion> earlier;

  bool answers(const Guid& iid) const;
};

// Everything the type library and the registration say about one control class.
struct ClassInfo {
  std::string_view name;
  Guid clsid;
  std::string_view progId;
  int versionMajor;
  int versionMinor;
  InterfaceInfo defaultInterface;
  InterfaceInfo eventInterface;
  std::vector<MemberInfo> members;  // in type-library order
  std::vector<std::string_view> functionTableOrder;
  std::vector<EventInfo> events;
  std::uint32_t miscStatus;
  int toolboxBitmap;
  bool visibleAtRunTime;
  bool uiActivation;
  bool objectSafety;

  const MemberInfo* findMember(DispId id) const;
  const MemberInfo* findMember(DispId id, MemberKind kind) const;
};

const char* memberKindName(MemberKind kind);

}  // namespace hv
