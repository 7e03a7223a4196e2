#pragma once

#include <cstdint>
#include <optional>

#include "control/dispatch_error.h"
#include "runtime/script_error.h"

namespace hv::testing {

// The number of the ScriptError `f` raises, or 0 when it raises none.
template <typename F>
std::int32_t errorNumberOf(F&& f) {
  try {
    f();
  } catch (const ScriptError& e) {
    return e.number();
  }
  return 0;
}

// The code of the DispatchError `f` raises, if any.
template <typename F>
std::optional<HResult> dispatchErrorOf(F&& f) {
  try {
    f();
  } catch (const DispatchError& e) {
    return e.code();
  }
  return std::nullopt;
}

}  // namespace hv::testing
