#pragma once

#include <oaidl.h>

#include <new>

#include "runtime/script_error.h"

namespace hv {

// The HRESULT a script error travels as: the runtime's own numbers (1-65535) in the control
// facility, where script hosts give them back as the plain number; the library's own numbers
// as they are.
HRESULT scodeOf(const ScriptError& error);

// Fills EXCEPINFO (when given) and the thread's error object with the error's number, source
// and description.
void reportScriptError(const ScriptError& error, EXCEPINFO* exception);

// A failure that carries no exception information: the thread's error object is cleared, so it
// never goes on describing an earlier failure. Hands `hr` back.
HRESULT failedWithoutErrorInfo(HRESULT hr);

// Runs the body of a COM method so that no C++ exception leaves it.
template <typename Body>
HRESULT guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace hv
