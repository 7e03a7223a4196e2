#include "runtime/variant.h"

#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"
#include "runtime/text_compare.h"

namespace hv {
namespace {

template <typename T, typename V>
auto& held(V& value) {
  if (auto* p = std::get_if<T>(&value))
    return *p;
  throw runtimeError(runtime_error::kTypeMismatch);
}

}  // namespace

Variant Variant::boolean(bool value) {
  Variant v;
  v.value_ = Boolean{toScriptBool(value)};
  return v;
}

VarType Variant::type() const {
  constexpr VarType kTypes[] = {VarType::Empty,   VarType::Integer, VarType::Long,
                                VarType::Single,  VarType::Double,  VarType::String,
                                VarType::Boolean, VarType::Array};
  return kTypes[value_.index()];
}

std::int16_t& Variant::integer() {
  return held<std::int16_t>(value_);
}
std::int32_t& Variant::longValue() {
  return held<std::int32_t>(value_);
}
Text& Variant::text() {
  return held<Text>(value_);
}
Variant::Array& Variant::array() {
  return held<Array>(value_);
}
const Text& Variant::text() const {
  return held<Text>(value_);
}
const Variant::Array& Variant::array() const {
  return held<Array>(value_);
}

double Variant::toDouble() const {
  return std::visit(
      [](const auto& v) -> double {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return 0;
        } else if constexpr (std::is_same_v<T, Boolean>) {
          return v.word;
        } else if constexpr (std::is_same_v<T, Text>) {
          return textToDouble(v);
        } else if constexpr (std::is_same_v<T, Array>) {
          throw runtimeError(runtime_error::kTypeMismatch);
        } else {
          return static_cast<double>(v);
        }
      },
      value_);
}

std::int16_t Variant::toInt16() const {
  return hv::toInt16(toDouble());
}
std::int32_t Variant::toInt32() const {
  if (auto* p = std::get_if<std::int32_t>(&value_))
    return *p;
  return hv::toInt32(toDouble());
}
float Variant::toSingle() const {
  return hv::toSingle(toDouble());
}

bool Variant::toBoolean() const {
  if (auto* t = std::get_if<Text>(&value_)) {
    if (equalsIgnoringAsciiCase(*t, u"True"))
      return true;
    if (equalsIgnoringAsciiCase(*t, u"False"))
      return false;
  }
  return toDouble() != 0;
}

Text Variant::toText() const {
  return std::visit(
      [](const auto& v) -> Text {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return Text();
        } else if constexpr (std::is_same_v<T, Boolean>) {
          return v.word ? u"True" : u"False";
        } else if constexpr (std::is_same_v<T, Text>) {
          return v;
        } else if constexpr (std::is_same_v<T, Array>) {
          throw runtimeError(runtime_error::kTypeMismatch);
        } else if constexpr (std::is_same_v<T, std::int16_t>) {
          return numberToText(std::int32_t{v});
        } else {
          return numberToText(v);
        }
      },
      value_);
}

Variant Variant::convertedTo(VarType type) const {
  switch (type) {
    case VarType::Empty:
      return Variant();
    case VarType::Integer:
      return Variant(toInt16());
    case VarType::Long:
      return Variant(toInt32());
    case VarType::Single:
      return Variant(toSingle());
    case VarType::Double:
      return Variant(toDouble());
    case VarType::String:
      return Variant(toText());
    case VarType::Boolean:
      return Variant::boolean(toBoolean());
    case VarType::Variant:
      return *this;
    case VarType::Array:
      return Variant(array());
  }
  throw runtimeError(runtime_error::kTypeMismatch);
}

const char* varTypeName(VarType type) {
  switch (type) {
    case VarType::Empty:
      return "Empty";
    case VarType::Integer:
      return "Integer";
    case VarType::Long:
      return "Long";
    case VarType::Single:
      return "Single";
    case VarType::Double:
      return "Double";
    case VarType::String:
      return "String";
    case VarType::Boolean:
      return "Boolean";
    case VarType::Variant:
      return "Variant";
    case VarType::Array:
      return "Variant()";
  }
  return "?";
}

}  // namespace hv
