#pragma once

namespace hv {

// The code page of the system's 8-bit ("ANSI") calls: registry values, the temporary folder,
// file names, command lines, log lines. The platform selects it once at start-up, before any
// control exists: Windows its own, POSIX systems UTF-8. Until then it is UTF-8, the one that
// loses nothing.
enum class AnsiCodePage {
  Windows1252,
  // UTF-8, with each byte that is not part of a well-formed sequence carried as the lone
  // surrogate U+DC80..U+DCFF, so that any byte string comes back byte for byte.
  Utf8,
};

void selectAnsiCodePage(AnsiCodePage page);
AnsiCodePage ansiCodePage();

}  // namespace hv
