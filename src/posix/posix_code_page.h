#pragma once

#include "runtime/ansi_code_page.h"

namespace hv {

// How a POSIX system's names and texts (paths, environment, command lines, log lines) are read
// and written: as UTF-8, and a byte that is no part of UTF-8 comes back as the same byte.
inline constexpr AnsiCodePage kPosixCodePage = AnsiCodePage::Utf8;

}  // namespace hv
