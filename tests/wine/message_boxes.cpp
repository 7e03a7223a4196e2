#include "message_boxes.h"

#include <algorithm>

namespace hv::client {
namespace {

// The dialog class and the text's control identifier every message box has.
constexpr const wchar_t* kDialogClass = L"#32770";
constexpr int kTextControl = 0xFFFF;

// Asked with a time limit: a box whose thread stopped answering must not stop the watcher. A
// box that went away meanwhile reads as empty.
std::wstring windowText(HWND window) {
  constexpr UINT kLimitMs = 2000;
  constexpr DWORD_PTR kLongest = 1 << 16;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kLimitMs, &length) ||
      length > kLongest)
    return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kLimitMs, &copied))
    return {};
  text.resize(copied < text.size() ? copied : 0);
  return text;
}

bool isMessageBox(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return wcscmp(name, kDialogClass) == 0 && IsWindowVisible(window) &&
         GetDlgItem(window, kTextControl) != nullptr && GetDlgItem(window, IDOK) != nullptr;
}

struct Search {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM state) {
  auto& search = *reinterpret_cast<Search*>(state);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if ((search.processId == 0 || owner == search.processId) && isMessageBox(window))
    search.found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> openMessageBoxes(DWORD processId) {
  Search search{processId, {}};
  EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

SeenBox readMessageBox(HWND box) {
  return {windowText(box), windowText(GetDlgItem(box, kTextControl)), GetWindow(box, GW_OWNER)};
}

void pressOk(HWND box) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

void BoxPresser::pressOpenBoxes(const std::function<void(SeenBox)>& record) {
  std::erase_if(pressed_, [](HWND box) { return !IsWindow(box); });
  for (HWND box : openMessageBoxes(processId_)) {
    if (std::find(pressed_.begin(), pressed_.end(), box) != pressed_.end())
      continue;
    record(readMessageBox(box));
    pressOk(box);
    pressed_.push_back(box);
  }
}

}  // namespace hv::client
