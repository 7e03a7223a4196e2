#pragma once

#include <span>

#include "control/control_object.h"

namespace hv {

// The dispatch layer: what a script host does between page script and a control. It looks names
// up, checks kind and argument count, coerces arguments to the declared types, and only then
// runs the member. Every refusal is a DispatchError thrown before any code of the library runs.

// Looks a member name up the way script hosts do: case-insensitively.
DispId idOfName(const ClassInfo& info, TextView name);

// The member `id` callable as `kind` with `argumentCount` arguments; the refusal otherwise. Lets a
// host that has to translate its arguments first refuse a wrong call before it looks at them.
const MemberInfo& callableMember(const ClassInfo& info, DispId id, MemberKind kind,
                                 std::size_t argumentCount);

// Calls member `id` as `kind`. `args` are the caller's own variables, in declaration order; an
// argument passed to a by-reference parameter receives the member's final value of it.
Variant invoke(ControlObject& object, DispId id, MemberKind kind, std::span<Variant> args);

// idOfName, then invoke.
Variant invokeByName(ControlObject& object, TextView name, MemberKind kind,
                     std::span<Variant> args);

}  // namespace hv
