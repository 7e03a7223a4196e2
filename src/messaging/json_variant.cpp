#include "messaging/json_variant.h"

#include <cmath>
#include <limits>

#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

Variant convert(const nlohmann::json& value, int depth) {
  using Type = nlohmann::json::value_t;
  switch (value.type()) {
    case Type::null:
      return Variant();
    case Type::boolean:
      return Variant::boolean(value.get<bool>());
    case Type::number_integer:
    case Type::number_unsigned: {
      const double number = value.get<double>();
      const bool fitsLong =
          value.is_number_integer()
              ? value.get<std::int64_t>() >= std::numeric_limits<std::int32_t>::min() &&
                    value.get<std::int64_t>() <= std::numeric_limits<std::int32_t>::max()
              : value.get<std::uint64_t>() <=
                    static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
      return fitsLong ? Variant(static_cast<std::int32_t>(value.get<std::int64_t>()))
                      : Variant(number);
    }
    case Type::number_float:
      return Variant(value.get<double>());
    case Type::string:
      return Variant(fromUtf8(value.get_ref<const std::string&>()));
    case Type::array: {
      if (depth >= kMaxArrayDepth)
        throw runtimeError(runtime_error::kTypeMismatch);
      Variant::Array items;
      items.reserve(value.size());
      for (const auto& item : value)
        items.push_back(convert(item, depth + 1));
      return Variant(std::move(items));
    }
    default:
      throw runtimeError(runtime_error::kTypeMismatch);
  }
}

nlohmann::json number(double value) {
  return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(nullptr);
}

}  // namespace

Variant variantFromJson(const nlohmann::json& value) {
  return convert(value, 0);
}

nlohmann::json jsonFromVariant(const Variant& value) {
  switch (value.type()) {
    case VarType::Boolean:
      return value.toBoolean();
    case VarType::Integer:
    case VarType::Long:
      return value.toInt32();
    case VarType::Single:
    case VarType::Double:
      return number(value.toDouble());
    case VarType::String:
      return toUtf8(value.text());
    case VarType::Array: {
      auto items = nlohmann::json::array();
      for (const auto& item : value.array())
        items.push_back(jsonFromVariant(item));
      return items;
    }
    default:
      return nullptr;
  }
}

}  // namespace hv
