#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "transfer/transfer_code.h"

namespace hv {

// WinINet's own text for one of its error numbers (or a system error number), without the line
// break the message table ends it with; the server's own words when WinINet says it has them.
// Call it on the thread that saw the failure.
std::string internetErrorText(DWORD error);

// WinINet's numbers for the failures the transfer policy finds itself.
inline constexpr PolicyFailureCodes kWinInetCodes{
    TransferCode::winInet(ERROR_INTERNET_TIMEOUT),
    TransferCode::winInet(ERROR_HTTP_INVALID_SERVER_RESPONSE),
    TransferCode::winInet(ERROR_HTTP_INVALID_SERVER_RESPONSE)};

// WinINet's own failure for `error`, with its text.
TransferFailure internetFailure(DWORD error);

// Whether a failed read or request ran into the receive time-out.
bool isTimeout(DWORD error);

}  // namespace hv
