#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hv {

// The host's counted wide string: lengths, positions and comparisons are in UTF-16 code units.
using Text = std::u16string;
using TextView = std::u16string_view;

// The script runtime's 16-bit boolean: true is -1, false is 0.
using ScriptBool = std::int16_t;
inline constexpr ScriptBool kScriptTrue = -1;
inline constexpr ScriptBool kScriptFalse = 0;
inline constexpr ScriptBool toScriptBool(bool b) {
  return b ? kScriptTrue : kScriptFalse;
}

// Widens an ASCII literal or identifier; the library's own names and messages are ASCII.
Text textFromAscii(std::string_view ascii);

}  // namespace hv
