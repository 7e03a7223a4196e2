#pragma once

#include <cstdint>

namespace hv {

// The library's own error numbers, beside the runtime's standard ones (script_error.h). Pages
// and stored scripts compare against these, so they never change. One number serves several
// failures where the library has always raised it for each of them.

// Failures of the library and of the components it uses have numbers at or below this.
inline constexpr std::int32_t kComponentErrorLimit = -200000;
// A URL with no "/" in it: nothing names a remote file.
inline constexpr std::int32_t kMalformedUrl = -200000;
// A URL too short to name a remote file at all.
inline constexpr std::int32_t kUrlTooShort = -200001;
// A request outside the vendor's domain; an installer that did not run or failed; a program
// that could not be started and waited for.
inline constexpr std::int32_t kRefusedOrFailed = -200002;
// Neither document type of the application is registered.
inline constexpr std::int32_t kApplicationNotInstalled = -200003;
// A failed transfer; its description is the response code in decimal, a blank and the
// response text.
inline constexpr std::int32_t kTransferFailure = -20000015;

}  // namespace hv
