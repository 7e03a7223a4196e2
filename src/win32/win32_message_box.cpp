#include "win32/win32_message_box.h"

#include <string>

namespace hv {

void Win32MessageBox::showCritical(TextView text, std::optional<TextView> title) {
  const std::wstring body(text.begin(), text.end());
  const std::wstring caption = title ? std::wstring(title->begin(), title->end()) : L"";
  const HWND owner = owner_ != nullptr && IsWindow(owner_) ? owner_ : GetActiveWindow();
  MessageBoxW(owner, body.c_str(), title ? caption.c_str() : nullptr, MB_OK | MB_ICONERROR);
}

}  // namespace hv
