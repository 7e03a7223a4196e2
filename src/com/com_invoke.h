#pragma once

#include <oaidl.h>

#include <initializer_list>

#include "control/control_object.h"

namespace hv {

// IDispatch::Invoke over the library's dispatch layer: the caller's VARIANTs in, the member run,
// by-reference arguments written back to the caller's variables, the result out. A script error
// becomes DISP_E_EXCEPTION with EXCEPINFO and the thread's error object; a refusal of the
// dispatch layer becomes its own HRESULT. No C++ exception leaves it.
HRESULT invokeControl(ControlObject& object, DISPID id, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept;

// The same call from an early-bound caller of the dual interface, `args` in declaration order:
// a script error is the HRESULT itself, with the thread's error object describing it.
HRESULT callControl(ControlObject& object, DISPID id, WORD flags,
                    std::initializer_list<VARIANT> args, VARIANT* result) noexcept;

}  // namespace hv
