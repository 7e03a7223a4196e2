#pragma once

#include <oaidl.h>

#include "runtime/script_error.h"

namespace hv {

// The one edge between the library's exceptions and COM: what the exception being handled
// becomes when it reaches a COM method. Call it only from inside a catch block.
//   ScriptError     its number as an HRESULT: the runtime's own numbers (1-65535) in the control
//                   facility, where script hosts give them back as the plain number, the
//                   library's own numbers as they are. The thread's error object describes it
//                   (source, description). With `exception` (IDispatch::Invoke) the answer is
//                   DISP_E_EXCEPTION and EXCEPINFO carries the number; without, the answer is
//                   the number itself, as an early-bound caller reads it.
//   DispatchError   its own code (DISP_E_*, CLASS_E_*, CONNECT_E_*, ...).
//   std::bad_alloc  E_OUTOFMEMORY.
//   anything else   E_UNEXPECTED: a failure the library does not know cannot be described.
// Every failure but a script error clears the thread's error object, so that it never goes on
// describing an earlier failure.
HRESULT hresultOfCurrentException(EXCEPINFO* exception = nullptr) noexcept;

// A failure that carries no exception information: the thread's error object is cleared. Hands
// `hr` back.
HRESULT failedWithoutErrorInfo(HRESULT hr);

// Runs the body of a COM method so that no C++ exception leaves it.
template <typename Body>
HRESULT guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return hresultOfCurrentException();
  }
}

}  // namespace hv
