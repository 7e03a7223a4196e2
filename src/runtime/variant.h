#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "runtime/text.h"

namespace hv {

// Type tags with the numbers the host's variant type gives them.
enum class VarType : std::uint16_t {
  Empty = 0,
  Integer = 2,  // 16-bit signed
  Long = 3,     // 32-bit signed
  Single = 4,
  Double = 5,
  String = 8,
  Boolean = 11,
  Variant = 12,  // only as a declared parameter or result type: "any value"
  Array = 0x200C,
};

// The script value: what page script holds in a variable and what members take and return.
class Variant {
 public:
  using Array = std::vector<Variant>;

  Variant() = default;
  Variant(std::int16_t value) : value_(value) {}
  Variant(std::int32_t value) : value_(value) {}
  Variant(float value) : value_(value) {}
  Variant(double value) : value_(value) {}
  Variant(Text value) : value_(std::move(value)) {}
  Variant(const char16_t* value) : value_(Text(value)) {}
  Variant(Array value) : value_(std::move(value)) {}
  static Variant boolean(bool value);

  VarType type() const;
  bool isEmpty() const { return type() == VarType::Empty; }

  // Direct access to a value of the type held; a different type is a type mismatch (13).
  // Members use these on arguments the dispatch layer has already coerced, so a by-reference
  // parameter is written through the reference.
  std::int16_t& integer();
  std::int32_t& longValue();
  Text& text();
  Array& array();
  const Text& text() const;
  const Array& array() const;

  // Conversions under the runtime's rules (rounding half to even, overflow 6, mismatch 13).
  std::int16_t toInt16() const;
  std::int32_t toInt32() const;
  float toSingle() const;
  double toDouble() const;
  bool toBoolean() const;
  Text toText() const;
  Variant convertedTo(VarType type) const;

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  struct Boolean {
    ScriptBool word;
    friend bool operator==(const Boolean&, const Boolean&) = default;
  };
  std::variant<std::monostate, std::int16_t, std::int32_t, float, double, Text, Boolean, Array>
      value_;
};

// A type name as script writers know it ("String", "Long", ...), for messages and listings.
const char* varTypeName(VarType type);

}  // namespace hv
