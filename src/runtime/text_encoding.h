#pragma once

#include <string>
#include <string_view>

#include "runtime/ansi_code_page.h"
#include "runtime/text.h"

namespace hv {

// UTF-8 <-> UTF-16. Ill-formed input (either way) becomes U+FFFD, never an error: texts come
// from pages, URLs and files the library does not control.
std::string toUtf8(TextView text);
Text fromUtf8(std::string_view utf8);

// Text through the code page of the system's 8-bit calls, the one the platform selected. A
// character the code page cannot hold becomes "?" in Windows-1252 (as the Windows conversion
// without best-fit mapping does) and U+FFFD in UTF-8 (a lone surrogate other than an escaped
// byte). Every byte string survives fromAnsi then toAnsi unchanged, in either code page.
std::string toAnsi(TextView text);
Text fromAnsi(std::string_view ansi);

// The same through a named code page, for bytes whose encoding is fixed by a file format rather
// than by the system.
std::string toAnsi(TextView text, AnsiCodePage page);
Text fromAnsi(std::string_view ansi, AnsiCodePage page);

}  // namespace hv
