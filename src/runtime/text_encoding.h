#pragma once

#include <string>
#include <string_view>

#include "runtime/text.h"

namespace hv {

// UTF-8 <-> UTF-16. Ill-formed input (either way) becomes U+FFFD, never an error: texts come
// from pages, URLs and files the library does not control.
std::string toUtf8(TextView text);
Text fromUtf8(std::string_view utf8);

// The system ANSI code page, Windows-1252 on every platform we run on. A character the code page
// cannot hold becomes "?", as the Windows conversion without best-fit mapping does.
std::string toAnsi(TextView text);
Text fromAnsi(std::string_view ansi);
char16_t ansiToChar(unsigned char byte);

}  // namespace hv
