#pragma once

#include <nlohmann/json.hpp>

#include "runtime/variant.h"

namespace hv {

// A page's value as the script value a member takes: null is empty, booleans, numbers (whole
// numbers that fit 32 bits as Long, the rest as Double), strings and arrays of these, nested at
// most kMaxArrayDepth deep. Throws ScriptError 13 for anything else (an object, deeper arrays).
Variant variantFromJson(const nlohmann::json& value);
inline constexpr int kMaxArrayDepth = 8;

// A member's result as the page gets it: empty is null, booleans, numbers (a value JSON cannot
// hold, such as NaN, is null), strings and arrays.
nlohmann::json jsonFromVariant(const Variant& value);

}  // namespace hv
