#pragma once

#include <string>
#include <string_view>

#include "runtime/text.h"

namespace hv {

// The characters of a .reg file's bytes. Files with a UTF-16LE byte-order mark are read as
// UTF-16LE; the rest as UTF-8 when they are well-formed UTF-8 (with or without a mark) and
// otherwise in the ANSI code page, as older tools wrote them. Throws RegFileError (line 0, file
// left empty for the caller to fill in) for a UTF-16 file cut inside a character.
Text decodeRegFileBytes(std::string_view bytes);

// UTF-16LE with a byte-order mark: the form files of the current format are written in.
std::string encodeRegFileText(TextView text);

}  // namespace hv
