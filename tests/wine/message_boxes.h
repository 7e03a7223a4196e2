#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace hv::client {

// A message box as the user sees it.
struct SeenBox {
  std::wstring title;
  std::wstring text;
  HWND owner = nullptr;  // the window the box is modal to
};

// The message boxes open on the desktop now, of the process `processId` (0: of every process):
// shown dialogs with a text and an OK button.
std::vector<HWND> openMessageBoxes(DWORD processId);

SeenBox readMessageBox(HWND box);

// Presses OK without waiting for the box's thread.
void pressOk(HWND box);

// Reads and closes each box once, as a user would; remembers the boxes it has pressed until they
// are gone.
class BoxPresser {
 public:
  explicit BoxPresser(DWORD processId) : processId_(processId) {}

  // Reads each box that opened since the last call, hands it to `record` and presses OK, in
  // that order: whoever waited in the box finds it recorded.
  void pressOpenBoxes(const std::function<void(SeenBox)>& record);

 private:
  DWORD processId_;
  std::vector<HWND> pressed_;
};

}  // namespace hv::client
