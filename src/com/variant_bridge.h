#pragma once

#include <oaidl.h>

#include <optional>

#include "runtime/text.h"
#include "runtime/variant.h"

namespace hv {

// A caller's argument as a script value for a parameter of the `declared` type, looking through
// a by-reference argument to the variable it names. Nothing for a value a script value cannot
// hold (null, objects, ...), an array where the parameter takes none, a reference chain that does
// not end, or an array nested too deep or too large.
std::optional<Variant> fromComVariant(const VARIANT& argument, VarType declared = VarType::Variant);

// A script value as a fresh VARIANT that the caller owns.
HRESULT toComVariant(const Variant& value, VARIANT& out);

// Stores a by-reference parameter's final value into the caller's variable. A variable of
// another type than the parameter's was passed as a temporary copy and keeps its value; after a
// failed member, so does a variable that held another type than the value has.
void writeBack(const Variant& value, VARIANT& argument, bool memberFailed);

Text textOf(const wchar_t* wide, std::size_t length);
BSTR allocBstr(const Text& text);

}  // namespace hv
